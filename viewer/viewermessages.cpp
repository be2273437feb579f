#include "viewermessages.h"

#include "models/skinned/cal3dconfigline.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <filesystem>

namespace {

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// A file name without its folder and extension.
std::string BaseName(const std::string& name)
{
    size_t slash = name.find_last_of("/\\");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    size_t dot = base.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

}  // namespace

std::string LoadProblem(const std::string& file, ModelKind kind)
{
    std::error_code error;
    // Opening a directory succeeds on some systems: ask first.
    if (std::filesystem::is_directory(file, error))
        return file + " is a directory";
    FILE* stream = fopen(file.c_str(), "rb");
    if (!stream)
        return "cannot open " + file + ": " + strerror(errno);
    unsigned char head[2] = {0, 0};
    size_t read = fread(head, 1, sizeof head, stream);
    fclose(stream);
    if (read == 0)
        return file + " is empty";
    // A 3D Studio file starts with its main chunk's id, 0x4D4D.
    if (kind == ModelKind::Scene3ds && (read < 2 || head[0] != 0x4D || head[1] != 0x4D))
        return file + " is not a 3D Studio file";
    return std::string();
}

std::string ScreenshotProblem(const std::string& path)
{
    std::error_code error;
    bool existed = std::filesystem::exists(path, error);
    // Appending leaves a file that is there as it was.
    FILE* stream = fopen(path.c_str(), "ab");
    if (!stream)
        return "cannot write the screenshot " + path + ": " + strerror(errno);
    fclose(stream);
    if (!existed)
        remove(path.c_str());
    return "the screenshot " + path + " could not be saved; log.txt says why";
}

std::string FailureRecords(const std::string& log)
{
    std::string records;
    bool inRecord = false;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        std::string line = log.substr(start, end - start);
        start = end;
        if (Contains(line, "] Error : ") || Contains(line, "] Warning : "))
            inRecord = true;
        if (!inRecord || line == "\n")
            continue;
        records += line;
        if (line.back() != '\n')
            records += '\n';
        // A record ends with the line that names its source.
        if (line.compare(0, 3, "At ") == 0)
            inRecord = false;
    }
    return records;
}

std::vector<std::string> AnimationNames(const std::string& configuration)
{
    std::vector<std::string> names;
    FILE* stream = fopen(configuration.c_str(), "r");
    if (!stream)
        return names;
    // Read as the engine reads it, so the lines and their order match.
    char text[256];
    while (fgets(text, sizeof text, stream)) {
        ConfigLine line = ParseConfigLine(text);
        if (line.kind != ConfigLineKind::Entry || !ConfigKeyIs(line, "animation"))
            continue;
        std::string name(line.value, line.valueLength);
        size_t blank = name.find_last_not_of(" \t");
        name.erase(blank == std::string::npos ? 0 : blank + 1);
        size_t slash = name.find_last_of("/\\");
        if (slash != std::string::npos)
            name.erase(0, slash + 1);
        size_t dot = name.find_last_of('.');
        if (dot != std::string::npos && dot > 0)
            name.erase(dot);
        names.push_back(name);
    }
    fclose(stream);
    return names;
}

std::string AnimationRangeProblem(const std::string& file, uint32_t asked, uint32_t count,
                                  const std::vector<std::string>& names)
{
    std::string text = "--anim " + std::to_string(asked) + ": ";
    if (count == 0)
        return text + file + " has no animation";
    text += file + " has " + std::to_string(count) + (count == 1 ? " animation, 0" : " animations, 0 to ") +
            (count == 1 ? std::string() : std::to_string(count - 1));
    if (names.size() == count) {
        text += " (";
        for (uint32_t i = 0; i < count; i++)
            text += (i ? ", " : "") + std::to_string(i) + " " + names[i];
        text += ")";
    }
    return text;
}

bool ChooseAnimation(const std::string& file, const ViewerOptions& options, const std::vector<std::string>& names,
                     uint32_t& index, std::string& problem)
{
    uint32_t count = (uint32_t)names.size();
    if (options.animationName.empty()) {
        index = options.animation;
        if (index < count)
            return true;
        problem = AnimationRangeProblem(file, index, count, names);
        return false;
    }
    // The model's own name first, then its file's name without folder and
    // extension ("walk" for Cal3D's "moves/walk.caf").
    for (int pass = 0; pass < 2; pass++)
        for (uint32_t i = 0; i < count; i++)
            if ((pass == 0 ? names[i] : BaseName(names[i])) == options.animationName) {
                index = i;
                return true;
            }
    problem = "--anim " + options.animationName + ": " + file;
    if (count == 0)
        problem += " has no animation";
    else
        problem += " has no animation of that name; its animations: ";
    for (uint32_t i = 0; i < count; i++)
        problem += (i ? ", " : "") + std::to_string(i) + " " + names[i];
    return false;
}

uint32_t NextAnimation(bool playing, uint32_t current, uint32_t count)
{
    return playing && current + 1 < count ? current + 1 : 0;
}
