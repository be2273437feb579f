// quarlight-capture <output folder> [timed frames]: renders the fixed list
// of frames from the folder that holds data/, saves each as <name>.png in
// the output folder, and prints the mean time per frame of each view
// (rendered again that many times, 20 by default). Exit code 0 when every
// frame was captured and saved.
#include "captureframes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: quarlight-capture <output folder> [timed frames]\n");
        return 2;
    }
    std::string folder = argv[1];
    long timed = argc == 3 ? strtol(argv[2], nullptr, 10) : 20;
    if (timed < 0 || timed > 100000) {
        fprintf(stderr, "quarlight-capture: timed frames must be 0 to 100000\n");
        return 2;
    }

    CaptureEngine engine;
    HRESULT result = StartCapture(engine);
    if (FAILED(result)) {
        fprintf(stderr, "quarlight-capture: start-up failed (0x%08X), see log.txt\n", (unsigned)result);
        ReleaseCapture(engine);
        return 1;
    }
    uint32_t count = 0;
    const CaptureView* views = CaptureViews(&count);
    uint32_t failures = 0;
    double total = 0.0;
    for (uint32_t i = 0; i < count; ++i) {
        CapturedImage image;
        result = CaptureFrame(engine, views[i], &image);
        std::string path = folder + "/" + views[i].name + ".png";
        if (SUCCEEDED(result) && !SavePng(image, path.c_str()))
            result = E_FAIL;
        double seconds = 0.0;
        if (SUCCEEDED(result))
            result = TimeFrame(engine, views[i], (uint32_t)timed, &seconds);
        if (FAILED(result)) {
            fprintf(stderr, "quarlight-capture: %s failed (0x%08X)\n", views[i].name, (unsigned)result);
            ++failures;
            continue;
        }
        total += seconds;
        printf("frame %-28s %8.3f ms\n", views[i].name, seconds * 1000.0);
    }
    if (count > failures)
        printf("mean %-29s %8.3f ms\n", "", total * 1000.0 / (count - failures));
    ReleaseCapture(engine);
    return failures ? 1 : 0;
}
