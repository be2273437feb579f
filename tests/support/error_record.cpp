#include "support/error_record.h"

#include "qlresult.h"

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
