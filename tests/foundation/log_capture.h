// Reads what the log writer appended to log.txt in the suite's working
// directory; the writer flushes every record, so the file is always current.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadLogFile()
{
    std::ifstream in("log.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename Action>
std::string LogAppendedBy(Action action)
{
    size_t before = ReadLogFile().size();
    action();
    std::string after = ReadLogFile();
    return after.size() >= before ? after.substr(before) : after;
}
