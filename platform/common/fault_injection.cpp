#include "fault_injection.h"

#include <qlplatform_test.h>

#include <map>
#include <string>

namespace {

struct Failure {
    HRESULT code;
    int remaining;  // < 0: until cleared
    int skip;       // calls that still go through first
};

std::map<std::string, Failure>& Failures()
{
    static std::map<std::string, Failure> failures;
    return failures;
}

}  // namespace

void QLTest_FailCall(const char* name, HRESULT code, int count)
{
    QLTest_FailCallAfter(name, 0, code, count);
}

void QLTest_FailCallAfter(const char* name, int skip, HRESULT code, int count)
{
    if (name && count != 0)
        Failures()[name] = Failure{code, count, skip > 0 ? skip : 0};
}

void QLTest_ClearFailures()
{
    Failures().clear();
}

bool QLPlatform_InjectedFailure(const char* name, HRESULT* code)
{
    auto& failures = Failures();
    if (failures.empty())
        return false;
    auto found = failures.find(name);
    if (found == failures.end())
        return false;
    if (found->second.skip > 0) {
        --found->second.skip;
        return false;
    }
    if (code)
        *code = found->second.code;
    if (found->second.remaining > 0 && --found->second.remaining == 0)
        failures.erase(found);
    return true;
}

HRESULT QLPlatform_InjectedCode(const char* name)
{
    HRESULT code = S_OK;
    return QLPlatform_InjectedFailure(name, &code) ? code : S_OK;
}
