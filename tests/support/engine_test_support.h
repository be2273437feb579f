// Ending a core so the next test can make its own: an application has one
// core, which keeps its window and window class for the whole run.
#pragma once

#include "core/icore.h"

#include "support/engine_log.h"

#include <windows.h>

// Releases the core until it is gone, then destroys its window, unregisters
// the "Quarlight" class and dispatches the messages left for them. `window`
// names the window of a core released already (null: the core's own).
void EndCore(ICore* core, HWND window = nullptr);

// Dispatches what the queue holds, at most `limit` messages: a window nobody
// validates is offered WM_PAINT again and again on Windows, so an unbounded
// loop may never end. Returns how many were taken.
int PumpMessages(int limit = 1000);
