// The demo creature: a tailed biped of ellipsoids on a 27-bone skeleton,
// authored z-up and facing -y, as exporters from 3D Studio write Cal3D data.
#pragma once

#include "cal3dwriter.h"

#include <string>
#include <vector>

namespace creature {

struct BoneDef {
    const char* name;
    int parent;
    cal3d::Vec3 head;  // bind position, model space
    cal3d::Vec3 tail;  // far end of the bone's shape
    float radius;      // 0: no shape
    int material;      // 0 textured skin, 1 plain cloth
};

const std::vector<BoneDef>& Bones();
int BoneIndex(const char* name);

// Bind rotations are the identity, so the skeleton only translates.
cal3d::Skeleton MakeSkeleton();
// One submesh per material; every vertex has one to four influences.
cal3d::Mesh MakeMesh();
// Named looping animations, in the order the configuration lists them.
struct NamedAnimation {
    std::string name;
    cal3d::Animation animation;
};
std::vector<NamedAnimation> MakeAnimations();

// A rotation by `angle` radians about `axis` (unit), counter-clockwise when
// the axis points at the viewer, in the convention the engine's bones use.
cal3d::Quat AxisAngle(cal3d::Vec3 axis, float angle);

// Uncompressed 24-bit TGA images: the 64 x 64 green scales of the skin, and a
// 2 x 2 one of a plain colour (MD5 materials are textures only).
std::vector<uint8_t> SkinTexture();
std::vector<uint8_t> PlainTexture(uint8_t red, uint8_t green, uint8_t blue);

// What the programs writing the creature's files share: the data folder
// their one argument names, the creature's folder in it, and the report of a
// file not written.
class Tool {
public:
    explicit Tool(const char* program) : program(program) {}
    // False after the usage message unless there is exactly one argument.
    bool TakeArguments(int argc, char** argv);
    const std::string& Data() const { return data; }
    const std::string& Folder() const { return folder; }  // <data>/creature
    // `written`, after a message naming `what` when it is false.
    bool Written(bool written, const std::string& what) const;

private:
    const char* program;
    std::string data, folder;
};

}  // namespace creature
