#include "vieweroptions.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char usage[] =
    "usage: quarlight-view FILE [options]\n"
    "Shows a 3D Studio scene (.3ds), a Wavefront OBJ model (.obj), a glTF model\n"
    "(.gltf, .glb), an MD5 model (.md5mesh) or a Cal3D model (.cfg), framed by the\n"
    "camera with a light circling above it, stencil shadows and the sample's controls.\n"
    "\n"
    "  --y-up           the Cal3D or MD5 model was authored with y up (default: z up)\n"
    "  --anim N|NAME    play the model's animation N (from 0) or NAME in a loop\n"
    "  --list           print the model's meshes, materials, skin and animations, then quit\n"
    "  --lights N       N shadow-casting lights (1 to 4): the circling one and N - 1 standing\n"
    "                   round the model at its height, evenly spaced\n"
    "  --size WxH       window size (default 800x600)\n"
    "  --frames N       quit after N frames\n"
    "  --screenshot F   save a frame after the first few as the PNG file F, then quit\n"
    "  --help           this text\n"
    "\n"
    "Keys: arrows fly the camera, the left mouse button orbits it around the model\n"
    "and the wheel zooms; F frames the model again, as do Enter and the right button;\n"
    "W wireframe, N the next animation, G shows or hides the ground under the model,\n"
    "F1 help, F12 screenshot, Escape quits. Exit code 0, 1 when the model cannot\n"
    "be shown or the screenshot cannot be saved, 2 on a bad argument.\n";

struct Extension {
    const char* ending;
    ModelKind kind;
};
const Extension extensions[] = {
    {".3ds", ModelKind::Scene3ds}, {".obj", ModelKind::Obj},      {".gltf", ModelKind::Gltf},
    {".glb", ModelKind::Gltf},     {".md5mesh", ModelKind::Md5}, {".cfg", ModelKind::Cal3d},
};

// A whole decimal number from 1 (or 0 when `zero`) to `limit`.
bool ParseNumber(const char* text, uint32_t limit, bool zero, uint32_t& value)
{
    if (!text || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long number = strtoul(text, &end, 10);
    if (errno || *end || number > limit || (!zero && number == 0))
        return false;
    value = (uint32_t)number;
    return true;
}

bool ParseSize(const char* text, uint32_t& width, uint32_t& height)
{
    const char* x = text ? strchr(text, 'x') : nullptr;
    if (!x)
        return false;
    std::string first(text, x);
    const uint32_t largest = 8192;
    return ParseNumber(first.c_str(), largest, false, width) && ParseNumber(x + 1, largest, false, height) &&
           width >= 64 && height >= 64;
}

bool EndsWith(const std::string& text, const char* ending)
{
    size_t length = strlen(ending);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; i++) {
        char c = text[text.size() - length + i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != ending[i])
            return false;
    }
    return true;
}

// An animation's name, or a number: a value that starts with a digit is a
// number and nothing else.
bool ParseAnimation(const char* text, ViewerOptions& options)
{
    if (!text || !*text || *text == '-')
        return false;
    if (*text >= '0' && *text <= '9')
        return ParseNumber(text, 65535, true, options.animation);
    options.animationName = text;
    return true;
}

// The options that read the next argument: how, and the line that says
// what they need when it does not do.
struct ValueOption {
    const char* name;
    bool (*read)(const char* value, ViewerOptions& options);
    const char* needs;
};
const ValueOption valueOptions[] = {
    {"--anim", [](const char* value, ViewerOptions& options) { return options.animate = ParseAnimation(value, options); },
     "--anim needs an animation number (0, 1, ...) or name"},
    {"--lights", [](const char* value, ViewerOptions& options) { return ParseNumber(value, 4, false, options.lights); },
     "--lights needs a number of lights from 1 to 4"},
    {"--size", [](const char* value, ViewerOptions& options) { return ParseSize(value, options.width, options.height); },
     "--size needs WIDTHxHEIGHT, each from 64 to 8192 (for example 1024x768)"},
    {"--frames",
     [](const char* value, ViewerOptions& options) { return ParseNumber(value, 100000000, false, options.frames); },
     "--frames needs a number of frames from 1"},
    {"--screenshot",
     [](const char* value, ViewerOptions& options) {
         if (!value || !*value)
             return false;
         options.screenshot = value;
         return true;
     },
     "--screenshot needs a file name"},
};

const ValueOption* FindValueOption(const std::string& argument)
{
    for (const ValueOption& option : valueOptions)
        if (argument == option.name)
            return &option;
    return nullptr;
}

bool Animated(ModelKind kind)
{
    return kind != ModelKind::Scene3ds && kind != ModelKind::Obj;
}

}  // namespace

const char* CoreType(ModelKind kind)
{
    switch (kind) {
    case ModelKind::Scene3ds:
        return "3ds";
    case ModelKind::Obj:
        return "obj";
    case ModelKind::Gltf:
        return "gltf";
    case ModelKind::Md5:
        return "md5";
    case ModelKind::Cal3d:
        return "cal3d";
    }
    return "3ds";
}

const char* ViewerUsage()
{
    return usage;
}

ParseOutcome ParseViewerOptions(int argc, const char* const* argv, ViewerOptions& options, std::string& error)
{
    options = ViewerOptions();
    // Help is given whatever else the line holds.
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0)
            return ParseOutcome::Help;
    for (int i = 1; i < argc; i++) {
        std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (const ValueOption* option = FindValueOption(argument)) {
            if (!option->read(value, options)) {
                error = option->needs;
                return ParseOutcome::Bad;
            }
            i++;
        } else if (argument == "--y-up") {
            options.yUp = true;
        } else if (argument == "--list") {
            options.list = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return ParseOutcome::Bad;
        } else if (!options.file.empty()) {
            error = "one model at a time: " + options.file + " and " + argument;
            return ParseOutcome::Bad;
        } else {
            options.file = argument;
        }
    }
    if (options.file.empty()) {
        error = "no model file given";
        return ParseOutcome::Bad;
    }
    bool known = false;
    for (const Extension& extension : extensions)
        if (!known && EndsWith(options.file, extension.ending)) {
            options.kind = extension.kind;
            known = true;
        }
    if (!known) {
        error = options.file +
                " is none of the formats the viewer opens: 3D Studio (.3ds), Wavefront OBJ (.obj), glTF (.gltf, .glb), "
                "MD5 (.md5mesh) or a Cal3D configuration (.cfg)";
        return ParseOutcome::Bad;
    }
    if (options.yUp && options.kind != ModelKind::Cal3d && options.kind != ModelKind::Md5) {
        error = "--y-up applies to Cal3D (.cfg) and MD5 (.md5mesh) models only";
        return ParseOutcome::Bad;
    }
    if (options.animate && !Animated(options.kind)) {
        error = "--anim applies to animated models only: Cal3D (.cfg), MD5 (.md5mesh) or glTF (.gltf, .glb)";
        return ParseOutcome::Bad;
    }
    return ParseOutcome::Run;
}
