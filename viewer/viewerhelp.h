// The viewer's own lines of the F1 help, after the sample's.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

// The ground's line says what the next G press does; without a ground there
// is no such line. `animationLine` (AnimationHelp) follows it.
std::string ViewerHelp(bool hasGround, bool groundShown, const std::string& animationLine = "");

// "'N' for the next animation (now 1 walk)", or "(none playing)"; empty for
// a model without animations.
std::string AnimationHelp(const std::vector<std::string>& names, bool playing, uint32_t current);
