#include "support/error_record.h"

#include "foundation/qlresult.h"

#include <d3d9.h>

#include <stdio.h>

namespace {

// The names the suites expect, kept apart from the engine's own table so a
// wrong name there still fails them.
const char* ExpectedName(HRESULT code)
{
    static const struct {
        HRESULT code;
        const char* name;
    } names[] = {
        {E_FAIL, "E_FAIL"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {QLE_SUBFUNCTION, "QLE_SUBFUNCTION"},
        {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
        {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
        {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
        {(HRESULT)0x80070005, "E_ACCESSDENIED"},
        {(HRESULT)0x8007000C, "ERROR_INVALID_ACCESS & DIERR_NOTACQUIRED"},
        {(HRESULT)0x8007001E, "ERROR_READ_FAULT & DIERR_INPUTLOST"},
    };
    for (const auto& entry : names)
        if (entry.code == code)
            return entry.name;
    return "Unknown";
}

}  // namespace

std::string CallFailure(HRESULT code, const char* message)
{
    char hex[16];
    snprintf(hex, sizeof hex, "%08X", (unsigned)code);
    std::string text = std::string("Called function return ") + ExpectedName(code) + " (0x" + hex + "), Msg : '";
    if (message)
        text += std::string(message) + "'";
    return text;
}

std::string ErrorRecord(const char* operation, HRESULT code, const char* message)
{
    std::string record = std::string("[") + operation + "] Error : \"" + CallFailure(code, message);
    if (message)
        record += "\"";
    return record;
}
