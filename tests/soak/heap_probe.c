// Preloaded into the soaked program by soak.sh. At most once a second, right
// after a frame is presented and the GL driver has finished it, it appends
// "unix-seconds resident-KiB heap-in-use-KiB mapped-blocks anonymous-KiB file-KiB"
// to the file named by QL_HEAP_PROBE. Read there, no frame is in flight, so
// the driver's per-frame memory is not counted, and a change in resident
// memory can be told apart: live heap blocks (the program's and the driver's),
// memory mapped outside the heap (the driver's compiled code), or mapped files.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long StatusField(const char* text, const char* name)
{
    const char* field = strstr(text, name);
    long value = -1;
    if (field)
        sscanf(field + strlen(name), ": %ld", &value);
    return value;
}

static void Record(const char* path)
{
    struct mallinfo2 heap = mallinfo2();
    char status[4096] = "";
    FILE* file = fopen("/proc/self/status", "r");
    if (file) {
        size_t length = fread(status, 1, sizeof status - 1, file);
        status[length] = 0;
        fclose(file);
    }
    FILE* out = fopen(path, "a");
    if (out) {
        fprintf(out, "%ld %ld %zu %zu %ld %ld\n", (long)time(NULL), StatusField(status, "VmRSS"),
                (heap.uordblks + heap.hblkhd) / 1024, heap.hblks, StatusField(status, "RssAnon"),
                StatusField(status, "RssFile"));
        fclose(out);
    }
}

typedef void (*SwapFunction)(void* window);
typedef void (*FinishFunction)(void);
typedef void* (*ProcAddressFunction)(const char* name);

// Stands in front of SDL's: the program presents every frame through it.
void SDL_GL_SwapWindow(void* window)
{
    static SwapFunction swap;
    static FinishFunction finish;
    static time_t last;
    if (!swap)
        swap = (SwapFunction)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    swap(window);

    const char* path = getenv("QL_HEAP_PROBE");
    time_t now = time(NULL);
    if (!path || !*path || now == last)
        return;
    last = now;
    if (!finish) {
        ProcAddressFunction lookup = (ProcAddressFunction)dlsym(RTLD_DEFAULT, "SDL_GL_GetProcAddress");
        finish = lookup ? (FinishFunction)lookup("glFinish") : NULL;
    }
    if (finish)
        finish();
    Record(path);
}

__attribute__((constructor)) static void StartProbe(void)
{
    // Not passed on to the programs this one may start.
    unsetenv("LD_PRELOAD");
}
