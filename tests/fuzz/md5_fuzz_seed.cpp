#include "md5_fuzz_seed.h"

#include "md5writer.h"

namespace {

md5::MeshFile Mesh()
{
    md5::MeshFile file;
    file.joints = {{"root", -1, {0, 0, 1}, {0, 0, 0.6f, 0.8f}}, {"arm", 0, {1, 0, 1}, {0.6f, 0, 0, 0.8f}}};
    md5::Mesh mesh;
    mesh.shader = "";
    mesh.vertices = {{0, 0, 0, 1}, {1, 0, 1, 1}, {1, 1, 2, 2}, {0, 1, 4, 5}};
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.weights = {{0, 1, {1, 0, 0}},    {1, 1, {0, 1, 0}},   {0, 0.5f, {0, 0, 1}}, {1, 0.5f, {1, 1, 0}},
                    {0, 0.3f, {1, 1, 1}}, {1, 0.3f, {0, 1, 1}}, {0, 0.2f, {1, 0, 1}}, {1, 0.1f, {2, 0, 0}},
                    {0, 0.1f, {0, 2, 0}}};
    file.meshes = {mesh};
    return file;
}

md5::AnimFile Anim()
{
    md5::AnimFile anim;
    anim.frameRate = 4;
    anim.hierarchy = {{"root", -1, 63, 0}, {"arm", 0, 8 | 2, 6}};
    anim.baseFrame = {{"", -1, {0, 0, 1}, {0, 0, 0.6f, 0.8f}}, {"", -1, {1, 0, 0}, {0, 0, 0, 1}}};
    anim.frames = {{0, 0, 1, 0, 0, 0.2f, 0.5f, -0.1f}, {0, 1, 1, 0.1f, 0, 0.3f, 0.6f, -0.3f}};
    anim.bounds.assign(2, {{-2, -2, -2}, {2, 2, 2}});
    return anim;
}

}  // namespace

std::string SeedMd5Mesh() { return md5::Encode(Mesh()); }
std::string SeedMd5Anim() { return md5::Encode(Anim()); }

std::string SeedMd5MeshVariant()
{
    md5::MeshFile file = Mesh();
    file.meshes.push_back(file.meshes[0]);
    file.meshes[1].shader = "skin";
    file.meshes[1].vertices[0].weightCount = 2;
    return md5::Encode(file);
}

std::string SeedMd5AnimVariant()
{
    md5::AnimFile anim = Anim();
    anim.hierarchy[0].flags = 1 | 32;
    anim.hierarchy[1].startIndex = 2;
    for (std::vector<float>& frame : anim.frames)
        frame.erase(frame.begin() + 1, frame.begin() + 5);
    return md5::Encode(anim) + "// a comment\n/* and\nanother */\n";
}
