// The Error records the engine writes for a failed check, built from their
// parts so a suite names the operation, the code and the message only.
#pragma once

#include <windows.h>

#include <string>

// "Called function return E_FAIL (0x80004005), Msg : 'Assertion Failed'".
// Without a message: the text up to the message, to match any message.
std::string CallFailure(HRESULT code, const char* message = nullptr);

// "[QLGraphics::SetLight()] Error : \"<CallFailure>\"", with the closing quote
// only when a message is given.
std::string ErrorRecord(const char* operation, HRESULT code, const char* message = nullptr);
