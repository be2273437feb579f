// Scratch arrays that are only useful together.
#pragma once

// True when every array was allocated; otherwise frees the ones that were
// and nulls them all, so the caller fails with nothing to clean up.
template <typename... T>
bool AllAllocated(T*&... arrays)
{
    if ((... && (arrays != nullptr)))
        return true;
    (..., (delete[] arrays, arrays = nullptr));
    return false;
}
