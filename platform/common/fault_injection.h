// Inside the stand-in: asks whether a call was told to fail by QLTest_FailCall.
#pragma once

#include <windows.h>

// True (and the code in *code) when the named call must fail this time.
bool QLPlatform_InjectedFailure(const char* name, HRESULT* code);
// The same as a code: the one the named call must fail with, or S_OK when it
// goes on (a failure injected as S_OK injects nothing).
HRESULT QLPlatform_InjectedCode(const char* name);
