// What a manager knows of the object that made it and holds it (the core):
// enough to say it is going and to ask for the window back, so the managers'
// folders need nothing of the core's own interface.
#pragma once

#include "foundation/qlobject.h"

#include <stdint.h>

struct IManagerOwner {
    // Called once, by the manager's destructor: the owner forgets the manager
    // (no count of the manager changes) and then drops the reference to
    // itself it counted for the manager when it made it.
    virtual void ManagerGone(IEngineObject* manager) = 0;
    // Moves the window back to the rectangle it had when last windowed; 1
    // when the graphics manager is full screen (nothing done), else 0.
    virtual int32_t RestoreWindowRect() = 0;

protected:
    ~IManagerOwner() = default;
};
