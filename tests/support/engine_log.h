// The run's log as the suites read it back: log.txt in the suite's working
// directory, which the writer flushes after every record.
#pragma once

#include <stddef.h>

#include <string>

// The whole file. Text mode: Windows writes lines ending in "\r\n", read back as "\n".
std::string ReadLog();

// A place in the log; Since() is what was written after it. A log that
// shrank (a new run truncates it) is returned whole.
class LogMark {
public:
    LogMark() : start(ReadLog().size()) {}
    std::string Since() const;
    void Reset() { start = ReadLog().size(); }

private:
    size_t start;
};

// How many times `part` stands in `text` (a log, usually), overlapping ones counted.
size_t Occurrences(const std::string& text, const std::string& part);

// What `action` appended to the log.
template <typename Action>
std::string LogAppendedBy(Action action)
{
    LogMark mark;
    action();
    return mark.Since();
}
