// The skinned demo: the sample's park, light, font and controls with the demo
// creature standing on the avenue in front of the fountain, and on request a
// crowd of its clones. Space and Shift or Control start the first creature's
// animations through the sample's controls.
#include "crowd.h"

#include "sampleapp.h"

#include <d3dx9.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char demoHelp[] = "\n'Space' to make the creature spin\n'Shift' or 'Ctrl' to make it jump"
                        "\nStart with '--crowd N' for N creatures";

const char usage[] = "Usage: skinned-demo [--crowd N] [--still-light DEGREES]\n"
                     "  --crowd N   N creatures (1 to 1024, default 1): the one the keys animate and\n"
                     "              N - 1 clones on a grid in the park, each looping its own animations\n"
                     "  --still-light DEGREES\n"
                     "              the light stands still from the start, DEGREES (-360 to 360) round\n"
                     "              its circle from behind the fountain; L sets it circling\n";

// The number after --crowd; 0 when it is not a whole number in range.
uint32_t CrowdArgument(const char* text)
{
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > (long)maximumCrowd)
        return 0;
    return (uint32_t)value;
}

// The angle after --still-light in radians; false when it is not a number of degrees in range.
bool StillLightArgument(const char* text, float* radians)
{
    char* end = nullptr;
    double degrees = strtod(text, &end);
    if (end == text || *end != '\0' || !(degrees >= -360.0 && degrees <= 360.0))
        return false;
    *radians = D3DXToRadian((float)degrees);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SampleProgram demo;
    Crowd crowd;
    for (int a = 1; a < argc; ++a) {
        bool understood = false;
        if (strcmp(argv[a], "--crowd") == 0 && a + 1 < argc) {
            uint32_t creatures = CrowdArgument(argv[++a]);
            understood = creatures != 0;
            SetCrowdSize(crowd, creatures);
        } else if (strcmp(argv[a], "--still-light") == 0 && a + 1 < argc) {
            understood = StillLightArgument(argv[++a], &demo.lightStartAngle);
            demo.lightStill = true;
        } else if (strcmp(argv[a], "--help") == 0) {
            fputs(usage, stdout);
            return 0;
        }
        if (!understood) {
            fprintf(stderr, "skinned-demo: bad argument '%s'\n%s", argv[a], usage);
            return 2;
        }
    }

    demo.title = "Quarlight Skinned Demo";
    demo.banner = "Quarlight Engine - skinned model demo";
    demo.extraHelp = demoHelp;
    UseCrowd(demo, crowd);
    return RunSample(demo);
}
