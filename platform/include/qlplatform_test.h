// Test hooks of the Linux platform stand-in: drive real failure paths and
// observe what the platform received. Not part of the Windows SDK.
#pragma once

#include <windows.h>

#include <string>

// Debugger output: while capturing, every OutputDebugStringA text is kept.
void QLTest_CaptureDebugOutput(bool enable);
std::string QLTest_TakeDebugOutput();
