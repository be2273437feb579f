// A base for the sole owner of what it frees (a list's nodes, a stream, a
// model's loaded data): a copy would free it a second time.
#pragma once

class NonCopyable {
public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;

protected:
    NonCopyable() = default;
    ~NonCopyable() = default;
};
