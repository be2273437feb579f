#include "foundation/qltrace.h"

#include "foundation/file.h"

#include <stdio.h>
#include <string.h>

namespace {

// Closed by its static destructor at exit; opened by the first record.
File logFile;

EngineString TimeOfDay()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[40];
    snprintf(text, sizeof text, "%02u:%02u:%02u", (unsigned)now.wHour, (unsigned)now.wMinute,
             (unsigned)now.wSecond);
    return text;
}

}  // namespace

EngineString SourceBaseName(const char* path)
{
    if (!path)
        return EngineString();
    const char* start = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            start = p + 1;
    const char* dot = strrchr(start, '.');
    EngineString name(start);
    return dot ? name.SubString(0, (uint32_t)(dot - start)) : name;
}

HRESULT WriteLog(const TraceContext& context, TraceLevel level, const EngineString& text,
                 const char* source, uint32_t line)
{
    // Opening quietly: a log that cannot be opened must not log about itself.
    // The console and debugger copies below still carry every record.
    if (!logFile.IsOpen())
        logFile.OpenSilently("log.txt", "w+t");

    EngineString record;
    if (level != TraceInfo)
        record += "\n";
    record += "[";
    if (context.ObjectType())
        record += *context.ObjectType() + "::";
    record += context.Operation();
    record += "] ";
    if (level == TraceWarning)
        record += "Warning : \"";
    else if (level == TraceError)
        record += "Error : \"";
    record += text;
    EngineString sourceName = SourceBaseName(source);
    if (level == TraceInfo) {
        record += "\n";
    } else {
        record += "\"\n";
        record += "At " + TimeOfDay() + ", See : \"" + sourceName + "\" at line " + line + "\n\n";
    }

    fputs(record.Chars(), stdout);
    fflush(stdout);
    // Flushed per record so that a crash cannot lose the records explaining it.
    logFile.Write(record);
    logFile.Flush();
    OutputDebugStringA(record.Chars());
    if (level != TraceInfo)
        OutputDebugStringA((sourceName + "(" + line + ") : DOUBLE-CLICK HERE TO GO AND SEE !!!\n\n").Chars());
    return 0;
}

HRESULT CheckResult(const TraceContext& context, const char* message, const char* source,
                    uint32_t line, HRESULT code)
{
    if (code >= 0)
        return code;
    char hex[16];
    snprintf(hex, sizeof hex, "%08X", (uint32_t)code);
    const char* name = code == QLE_SUBFUNCTION ? "QLE_SUBFUNCTION" : ResultCodeName(code);
    WriteLog(context, TraceError,
             EngineString("Called function return ") + name + " (0x" + hex + "), Msg : '" + message + "'",
             source, line);
    return E_FAIL;
}
