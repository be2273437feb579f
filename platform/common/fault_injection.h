// Inside the stand-in: asks whether a call was told to fail by QLTest_FailCall.
#pragma once

#include <windows.h>

// True (and the code in *code) when the named call must fail this time.
bool QLPlatform_InjectedFailure(const char* name, HRESULT* code);
