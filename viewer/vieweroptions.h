// The viewer's command line: quarlight-view FILE [options].
#pragma once

#include <stdint.h>
#include <string>

// The model's format, by the file's extension (any case).
enum class ModelKind {
    Scene3ds,  // .3ds
    Obj,       // .obj
    Gltf,      // .gltf, .glb
    Md5,       // .md5mesh
    Cal3d,     // .cfg
};

// The type the engine's factory creates `kind` by.
const char* CoreType(ModelKind kind);

struct ViewerOptions {
    std::string file;
    ModelKind kind = ModelKind::Scene3ds;
    bool yUp = false;
    bool animate = false;
    uint32_t animation = 0;     // when animationName is empty
    std::string animationName;  // --anim by name
    bool list = false;          // print what the model holds and quit
    uint32_t lights = 1;        // the circling light and up to three standing ones
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
