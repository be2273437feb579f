// Standard output held back while the viewer starts: a failed start-up then
// shows its cause first and each record once; a good one passes the held
// records on.
#pragma once

#include <stdio.h>
#include <string>

class HeldOutput {
public:
    HeldOutput() = default;
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;
    ~HeldOutput() { Release(); }

    // From now on standard output goes to a temporary file. False, with
    // nothing held, when that cannot be arranged.
    bool Hold();
    bool IsHolding() const { return file != nullptr; }
    // Puts standard output back and returns what was written to it meanwhile.
    std::string Release();

private:
    FILE* file = nullptr;
    int saved = -1;  // the original standard output's descriptor
};
