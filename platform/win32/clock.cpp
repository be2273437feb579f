// The performance counter and the module handle.
#include <windows.h>

#include <time.h>

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return FALSE;
    // Monotonic, so frame times never run backwards when the clock is set.
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = (LONGLONG)now.tv_sec * 1000000000 + now.tv_nsec;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1000000000;
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    // The program's own module is the only one the stand-in knows.
    static char programModule;
    return moduleName ? nullptr : (HMODULE)&programModule;
}
