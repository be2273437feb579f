#include "viewerhelp.h"

namespace {

#define VIEWER_KEYS                                                        \
    "\n'Enter' or the right button for the start-up view again"            \
    "\n'Escape' to quit"

const char withGround[] = "\n'G' to hide the ground" VIEWER_KEYS;
const char withoutGround[] = "\n'G' to show the ground" VIEWER_KEYS;
const char noGround[] = VIEWER_KEYS;

}  // namespace

const char* ViewerHelp(bool hasGround, bool groundShown)
{
    if (!hasGround)
        return noGround;
    return groundShown ? withGround : withoutGround;
}
