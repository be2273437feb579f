// One cursor and Windows' display counter: the cursor shows while the
// counter is at least 0 and a cursor is set.
#include "window_registry.h"

#include <SDL.h>

namespace {

char arrowCursor;
HCURSOR const arrow = (HCURSOR)&arrowCursor;
HCURSOR current = arrow;
int displayCount = 0;

void Apply()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(displayCount >= 0 && current ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    // Only the system's arrow exists; no module carries cursor resources.
    if (instance || name != IDC_ARROW)
        return nullptr;
    return arrow;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor)
{
    HCURSOR previous = current;
    current = cursor;
    Apply();
    return previous;
}

int WINAPI ShowCursor(BOOL show)
{
    displayCount += show ? 1 : -1;
    Apply();
    return displayCount;
}
