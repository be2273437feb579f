#include "models/skinned/cal3dconfigline.h"

#include <string.h>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\0' || c == '\n' || c == '\r'; }

}  // namespace

ConfigLine ParseConfigLine(const char* text)
{
    ConfigLine line = {ConfigLineKind::Skip, text, 0, text, 0};
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    // A carriage return ends a blank line too, so files saved with CRLF line
    // ends read like the same files saved with LF.
    if (IsLineEnd(*p) || *p == '#')
        return line;

    line.key = p;
    const char* separator = strpbrk(p, " =\t\n\r");
    if (!separator) {
        line.kind = ConfigLineKind::MissingSeparator;
        line.keyLength = (uint32_t)strlen(p);
        return line;
    }
    line.keyLength = (uint32_t)(separator - p);
    p = separator;
    while (IsBlank(*p))
        ++p;
    if (*p != '=') {
        line.kind = ConfigLineKind::MissingEquals;
        return line;
    }
    ++p;
    while (IsBlank(*p))
        ++p;
    line.value = p;
    line.valueLength = (uint32_t)strcspn(p, "\n\r");
    line.kind = ConfigLineKind::Entry;
    return line;
}

bool ConfigKeyIs(const ConfigLine& line, const char* name)
{
    return strlen(name) == line.keyLength && memcmp(line.key, name, line.keyLength) == 0;
}
