#include "models/import/objmaterials.h"

#include "foundation/file.h"

#include <stdio.h>
#include <string.h>

#include <sstream>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// `line` starts with the keyword `key` followed by a blank, as the parser
// recognises keywords.
bool Keyword(const char* line, const char* key)
{
    size_t length = strlen(key);
    return strncmp(line, key, length) == 0 && IsBlank(line[length]);
}

// Libraries written on Windows name themselves with backslashes.
std::string Slashed(const std::string& name)
{
    std::string path = name;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

}  // namespace

std::vector<ObjMaterialGiven> ScanMaterialsGiven(const std::string& text)
{
    std::vector<ObjMaterialGiven> made;
    ObjMaterialGiven current;
    bool named = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t last = line.find_last_not_of(" \t\r");
        line = last == std::string::npos ? std::string() : line.substr(0, last + 1);
        const char* token = line.c_str();
        token += strspn(token, " \t");
        if (Keyword(token, "newmtl")) {
            if (named)
                made.push_back(current);
            current = ObjMaterialGiven();
            named = token[7] != 0;
        } else if (Keyword(token, "Ka")) {
            current.ambient = true;
        } else if (Keyword(token, "Kd")) {
            current.diffuse = true;
        } else if (Keyword(token, "Ks")) {
            current.specular = true;
        } else if (Keyword(token, "Ns")) {
            current.power = true;
        }
    }
    made.push_back(current);
    return made;
}

bool ObjMaterialLibraries::operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                                      std::map<std::string, int>* names, std::string* warn, std::string* err)
{
    EngineString path = FindBeside(Slashed(name).c_str(), objPath);
    std::string text;
    if (!ReadWholeFile(path, text)) {
        if (firstMissing.IsEmpty())
            firstMissing = name.c_str();
        return false;
    }
    size_t before = materials->size();
    std::istringstream stream(text);
    tinyobj::LoadMtl(names, materials, &stream, warn, err);
    std::vector<ObjMaterialGiven> scanned = ScanMaterialsGiven(text);
    size_t made = materials->size() - before;
    // Should the scan ever disagree with the parser, trust the parser's values.
    ObjMaterialGiven everything{true, true, true, true};
    for (size_t i = 0; i < made; i++)
        given.push_back(scanned.size() == made ? scanned[i] : everything);
    return true;
}

bool ReadWholeFile(const EngineString& path, std::string& text)
{
    FILE* file = fopen(path.Chars(), "rb");
    if (!file)
        return false;
    // Read by the size the file has when opened: a device found by name (a
    // library "full" looked for in the folders above /dev/shm/model/ is
    // /dev/full) has none and would never end. A folder opened by name (a
    // library ".") tells a size past any file's, and reads nothing.
    const long largest = 0x7FFFFFFF;
    long size = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    bool read = size >= 0 && size <= largest && fseek(file, 0, SEEK_SET) == 0;
    if (read) {
        text.assign((size_t)size, '\0');
        read = size == 0 || fread(&text[0], 1, (size_t)size, file) == (size_t)size;
    }
    fclose(file);
    return read;
}
