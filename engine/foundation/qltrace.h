// The failure-report convention. Every operation that can fail opens a
// TraceContext and passes each argument, allocation and call through
// CheckResult, which writes one Error record for a negative code. A failure
// thus leaves one record per level of the call chain: the innermost names
// the real code, the levels above it QLE_SUBFUNCTION.
#pragma once

#include "foundation/enginestring.h"
#include "foundation/qlresult.h"

#include <stdint.h>

enum TraceLevel { TraceInfo = 0, TraceWarning = 1, TraceError = 2 };

// The operation being run and the object it runs on (none for free functions).
class TraceContext {
public:
    TraceContext(const char* operation) : operation(operation) {}  // NOLINT
    template <typename Object>
    TraceContext(Object* object, const char* operation)
        : objectType(object ? &object->GetType() : nullptr), operation(operation)
    {
    }

    const EngineString* ObjectType() const { return objectType; }
    const char* Operation() const { return operation; }

private:
    const EngineString* objectType = nullptr;
    const char* operation;
};

// Writes one record to standard output, log.txt and the debugger output.
// `source` is a path or base name; records show the base name only.
HRESULT WriteLog(const TraceContext& context, TraceLevel level, const EngineString& text,
                 const char* source, uint32_t line);

// Non-negative codes pass through silently; a negative code writes
// "Called function return <NAME> (0x<CODE>), Msg : '<message>'" and gives E_FAIL.
HRESULT CheckResult(const TraceContext& context, const char* message, const char* source,
                    uint32_t line, HRESULT code);

// "engine/core/qlcore.cpp" -> "qlcore".
EngineString SourceBaseName(const char* path);

// The source name records print: this file's base name, unless a file that
// carries part of a bigger unit defines QL_SOURCE_FILE as that unit's name
// before its includes.
#ifndef QL_SOURCE_FILE
#define QL_SOURCE_FILE __FILE__
#endif

// A place in the source, for a shared helper that reports on behalf of the
// code that calls it, so that its records name that code's file.
struct SourceSpot {
    const char* file;
    uint32_t line;
};
#define QL_HERE (SourceSpot{QL_SOURCE_FILE, (uint32_t)__LINE__})

// One line per check, with this file and line.
#define QL_CHECK(context, message, code) CheckResult((context), (message), QL_SOURCE_FILE, __LINE__, (code))
#define QL_LOG(context, level, text) WriteLog((context), (level), (text), QL_SOURCE_FILE, __LINE__)

// Checks that end the operation with QLE_SUBFUNCTION; use them only where
// nothing acquired so far needs undoing.
#define QL_TRY(context, message, expression)                                  \
    do {                                                                      \
        if (FAILED(QL_CHECK((context), (message), (expression))))             \
            return QLE_SUBFUNCTION;                                           \
    } while (0)
#define QL_REQUIRE_ARG(context, condition) \
    QL_TRY((context), "Invalid Call/Param", (condition) ? S_OK : E_INVALIDARG)
#define QL_REQUIRE_MEMORY(context, pointer) \
    QL_TRY((context), "Not Enough Memory", (pointer) ? S_OK : E_OUTOFMEMORY)
#define QL_ASSERT(context, condition) QL_TRY((context), "Assertion Failed", (condition) ? S_OK : E_FAIL)

// A binary field or block read by the readExact rule: a short read reports
// "Unexpected End Of File", closes the file and fails the operation.
#define QL_READ(context, file, destination, size)                                    \
    do {                                                                             \
        if (!(file).ReadExact((destination), (size))) {                              \
            QL_CHECK((context), "Unexpected End Of File", E_FAIL);                   \
            (file).Close();                                                          \
            return QLE_SUBFUNCTION;                                                  \
        }                                                                            \
    } while (0)
