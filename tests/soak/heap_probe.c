// Preloaded into the soaked program by soak.sh: once a second it appends
// "unix-seconds heap-in-use-KiB mapped-blocks anonymous-KiB file-KiB" to the file
// named by QL_HEAP_PROBE, so a change in resident memory can be told apart:
// live heap blocks (the program's and the GL driver's), memory mapped outside
// the heap (the driver's compiled code), or mapped files.
#define _GNU_SOURCE
#include <malloc.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static long StatusField(const char* text, const char* name)
{
    const char* field = strstr(text, name);
    long value = -1;
    if (field)
        sscanf(field + strlen(name), ": %ld", &value);
    return value;
}

static void* Record(void* path)
{
    for (;;) {
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
            fprintf(out, "%ld %zu %zu %ld %ld\n", (long)time(NULL), (heap.uordblks + heap.hblkhd) / 1024,
                    heap.hblks, StatusField(status, "RssAnon"), StatusField(status, "RssFile"));
            fclose(out);
        }
        sleep(1);
    }
    return NULL;
}

__attribute__((constructor)) static void StartProbe(void)
{
    char* path = getenv("QL_HEAP_PROBE");
    pthread_t thread;
    if (path && *path && pthread_create(&thread, NULL, Record, path) == 0)
        pthread_detach(thread);
    // Not passed on to the programs this one may start.
    unsetenv("LD_PRELOAD");
}
