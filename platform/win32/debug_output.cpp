// OutputDebugStringA and GetLocalTime over the C library.
#include <windows.h>

#include <qlplatform_test.h>

#include <stdio.h>
#include <time.h>

#include <string>

namespace {

bool capturing = false;
std::string captured;

// Windows drops debugger output when no debugger listens; here a tracer
// (gdb, strace) attached to the process stands for the debugger.
bool DebuggerAttached()
{
    static const bool attached = [] {
        FILE* status = fopen("/proc/self/status", "r");
        if (!status)
            return false;
        char line[256];
        bool traced = false;
        while (fgets(line, sizeof line, status)) {
            int pid = 0;
            if (sscanf(line, "TracerPid: %d", &pid) == 1) {
                traced = pid != 0;
                break;
            }
        }
        fclose(status);
        return traced;
    }();
    return attached;
}

}  // namespace

void WINAPI OutputDebugStringA(LPCSTR text)
{
    if (!text)
        return;
    if (capturing)
        captured += text;
    if (DebuggerAttached())
        fputs(text, stderr);
}

void WINAPI GetLocalTime(LPSYSTEMTIME out)
{
    if (!out)
        return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    out->wYear = (WORD)(local.tm_year + 1900);
    out->wMonth = (WORD)(local.tm_mon + 1);
    out->wDayOfWeek = (WORD)local.tm_wday;
    out->wDay = (WORD)local.tm_mday;
    out->wHour = (WORD)local.tm_hour;
    out->wMinute = (WORD)local.tm_min;
    out->wSecond = (WORD)local.tm_sec;
    out->wMilliseconds = (WORD)(now.tv_nsec / 1000000);
}

void QLTest_CaptureDebugOutput(bool enable)
{
    capturing = enable;
    if (!enable)
        captured.clear();
}

std::string QLTest_TakeDebugOutput()
{
    std::string out;
    out.swap(captured);
    return out;
}
