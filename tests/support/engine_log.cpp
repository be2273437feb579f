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
