// The 3DS reader's pending errors, as engine log records.
#pragma once

#include "foundation/qlresult.h"

// S_OK with nothing pending; otherwise one Error record with every pending
// text, the reader's list cleared, and E_FAIL.
HRESULT Print3DSErrors();
