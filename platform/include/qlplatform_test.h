// Test hooks of the Linux platform stand-in: drive real failure paths and
// observe what the platform received. Not part of the Windows SDK.
#pragma once

#include <windows.h>

#include <string>

// Debugger output: while capturing, every OutputDebugStringA text is kept.
void QLTest_CaptureDebugOutput(bool enable);
std::string QLTest_TakeDebugOutput();

// Fault injection: the next `count` calls of the named platform call fail
// with `code` (count < 0: every call until cleared). Names are the API's own,
// "IDirect3D9::CreateDevice", "IDirect3DDevice9::Present", "RegisterClassExA",
// "IDirectInputDevice8::Acquire", ...
void QLTest_FailCall(const char* name, HRESULT code, int count = 1);
void QLTest_ClearFailures();
