#include "support/engine_log.h"

#include <fstream>
#include <sstream>

std::string ReadLog()
{
    std::ifstream in("log.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LogMark::Since() const
{
    std::string log = ReadLog();
    return log.size() >= start ? log.substr(start) : log;
}

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}
