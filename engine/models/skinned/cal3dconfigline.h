// One line of a Cal3D configuration file, split into key and value. Pure
// text work: the loader decides what each outcome means and logs it.
#pragma once

#include <stdint.h>

enum class ConfigLineKind {
    Skip,             // blank, or a comment (first non-blank character '#')
    Entry,            // key '=' value
    MissingSeparator, // the key runs to the end of the text read
    MissingEquals,    // something other than '=' follows the key
};

struct ConfigLine {
    ConfigLineKind kind;
    const char* key;  // not terminated: use keyLength
    uint32_t keyLength;
    const char* value;  // may be empty; trailing blanks belong to it
    uint32_t valueLength;
};

// `text` is one line as read, terminated, with or without its line end.
ConfigLine ParseConfigLine(const char* text);

// True when the key is exactly `name`.
bool ConfigKeyIs(const ConfigLine& line, const char* name);
