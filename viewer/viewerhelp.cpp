#include "viewerhelp.h"

namespace {

const char frameKey[] = "\n'F' to frame the model again";
const char lastKeys[] =
    "\n'Enter' or the right button for the start-up view again"
    "\n'Escape' to quit";

}  // namespace

std::string ViewerHelp(bool hasGround, bool groundShown, const std::string& animationLine)
{
    std::string help = frameKey;
    if (hasGround)
        help += groundShown ? "\n'G' to hide the ground" : "\n'G' to show the ground";
    if (!animationLine.empty())
        help += "\n" + animationLine;
    return help + lastKeys;
}

std::string AnimationHelp(const std::vector<std::string>& names, bool playing, uint32_t current)
{
    if (names.empty())
        return "";
    std::string now = playing && current < names.size() ? "now " + std::to_string(current) + " " + names[current]
                                                         : std::string("none playing");
    return "'N' for the next animation (" + now + ")";
}
