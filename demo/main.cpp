// The skinned demo: the sample's park, light, font and controls with the demo
// creature standing on the avenue in front of the fountain, and on request a
// crowd of its clones. Space and Shift or Control start the first creature's
// animations through the sample's controls.
#include "crowd.h"

#include "sampleapp.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char demoHelp[] = "\n'Space' to make the creature spin\n'Shift' or 'Ctrl' to make it jump"
                        "\nStart with '--crowd N' for N creatures";

const char usage[] = "Usage: skinned-demo [--crowd N]\n"
                     "  --crowd N   N creatures (1 to 1024, default 1): the one the keys animate and\n"
                     "              N - 1 clones on a grid in the park, each looping its own animations\n";

// The number after --crowd; 0 when it is not a whole number in range.
uint32_t CrowdArgument(const char* text)
{
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > (long)maximumCrowd)
        return 0;
    return (uint32_t)value;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int a = 1; a < argc; ++a) {
        uint32_t creatures = 0;
        if (strcmp(argv[a], "--crowd") == 0 && a + 1 < argc)
            creatures = CrowdArgument(argv[++a]);
        else if (strcmp(argv[a], "--help") == 0) {
            fputs(usage, stdout);
            return 0;
        }
        if (creatures == 0) {
            fprintf(stderr, "skinned-demo: bad argument '%s'\n%s", argv[a], usage);
            return 2;
        }
        SetCrowdSize(creatures);
    }

    SampleProgram demo;
    demo.title = "Quarlight Skinned Demo";
    demo.banner = "Quarlight Engine - skinned model demo";
    demo.extraHelp = demoHelp;
    demo.createModels = CreateCrowd;
    demo.animateModels = AnimateCrowd;
    demo.releaseModels = ReleaseCrowd;
    return RunSample(demo);
}
