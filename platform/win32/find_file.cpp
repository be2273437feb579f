// Folder listing over POSIX directories, with the Win32 wildcards of the
// pattern's last part matched by fnmatch.
#include <windows.h>

#include <dirent.h>
#include <fnmatch.h>
#include <new>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

struct Search {
    DIR* folder = nullptr;
    char path[MAX_PATH * 2] = {};     // the folder, with its separator
    char wildcard[MAX_PATH] = {};
};

// Fills `found` with the next entry that matches; FALSE at the end.
BOOL NextMatch(Search* search, LPWIN32_FIND_DATAA found)
{
    while (struct dirent* entry = readdir(search->folder)) {
        if (fnmatch(search->wildcard, entry->d_name, 0) != 0 || strlen(entry->d_name) >= MAX_PATH)
            continue;
        memset(found, 0, sizeof *found);
        strcpy(found->cFileName, entry->d_name);
        char full[MAX_PATH * 3];
        snprintf(full, sizeof full, "%s%s", search->path, entry->d_name);
        struct stat status;
        if (stat(full, &status) == 0) {
            found->dwFileAttributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
            found->nFileSizeLow = (DWORD)status.st_size;
            found->nFileSizeHigh = (DWORD)((uint64_t)status.st_size >> 32);
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    if (!pattern || !found)
        return INVALID_HANDLE_VALUE;
    const char* slash = strrchr(pattern, '/');
    const char* backslash = strrchr(pattern, '\\');
    if (backslash && (!slash || backslash > slash))
        slash = backslash;
    size_t folderLength = slash ? (size_t)(slash - pattern) + 1 : 0;
    const char* wildcard = pattern + folderLength;
    if (folderLength >= MAX_PATH * 2 || strlen(wildcard) >= MAX_PATH || !*wildcard)
        return INVALID_HANDLE_VALUE;
    Search* search = new (std::nothrow) Search;
    if (!search)
        return INVALID_HANDLE_VALUE;
    memcpy(search->path, pattern, folderLength);
    strcpy(search->wildcard, wildcard);
    search->folder = opendir(folderLength ? search->path : ".");
    if (!search->folder || !NextMatch(search, found)) {
        if (search->folder)
            closedir(search->folder);
        delete search;
        return INVALID_HANDLE_VALUE;
    }
    return search;
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA found)
{
    if (!handle || handle == INVALID_HANDLE_VALUE || !found)
        return FALSE;
    return NextMatch(static_cast<Search*>(handle), found);
}

BOOL WINAPI FindClose(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return FALSE;
    Search* search = static_cast<Search*>(handle);
    closedir(search->folder);
    delete search;
    return TRUE;
}
