// The viewer's command line: quarlight-view FILE [options].
#pragma once

#include <stdint.h>
#include <string>

enum class ModelKind { Scene3ds, Cal3d };

struct ViewerOptions {
    std::string file;
    ModelKind kind = ModelKind::Scene3ds;
    bool yUp = false;
    bool animate = false;
    uint32_t animation = 0;
    uint32_t width = 800;
    uint32_t height = 600;
    uint32_t frames = 0;  // 0: until the user quits
    std::string screenshot;  // empty: none
};

enum class ParseOutcome { Run, Help, Bad };

// Fills `options` from the arguments; for Bad, `error` says what is wrong
// in one line.
ParseOutcome ParseViewerOptions(int argc, const char* const* argv, ViewerOptions& options, std::string& error);

// The text --help prints.
const char* ViewerUsage();
