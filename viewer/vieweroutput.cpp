#include "vieweroutput.h"

#include <unistd.h>

bool HeldOutput::Hold()
{
    if (file)
        return true;
    fflush(stdout);
    file = tmpfile();
    if (!file)
        return false;
    saved = dup(fileno(stdout));
    if (saved >= 0 && dup2(fileno(file), fileno(stdout)) >= 0)
        return true;
    if (saved >= 0)
        close(saved);
    saved = -1;
    fclose(file);
    file = nullptr;
    return false;
}

std::string HeldOutput::Release()
{
    if (!file)
        return std::string();
    fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    saved = -1;
    std::string text;
    rewind(file);
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, read);
    fclose(file);
    file = nullptr;
    return text;
}
