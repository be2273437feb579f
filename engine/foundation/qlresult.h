// Result codes: 32-bit HRESULTs, negative for failure. The Windows SDK gives
// S_OK, S_FALSE, E_FAIL, E_INVALIDARG and E_OUTOFMEMORY; the engine adds one.
#pragma once

#include <windows.h>

// A called engine operation failed and has already written its own record.
#define QLE_SUBFUNCTION ((HRESULT)0x87654321)

// The symbolic name of a result code as the SDK headers spell it, names of a
// value shared by two headers joined with " & "; "Unknown" when not known.
const char* ResultCodeName(HRESULT code);
