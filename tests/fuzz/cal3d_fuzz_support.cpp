#include "cal3d_fuzz_support.h"

#include "support/cal3d_skeletons.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define FUZZ_EXPECT(condition)                                                     \
    do {                                                                           \
        if (!(condition)) {                                                        \
            fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                               \
        }                                                                          \
    } while (0)

namespace {

// The corpus folders and the artifact prefix are given relative to the
// directory the fuzzer started in; make them absolute before leaving it.
void AnchorArguments(int* argc, char*** argv)
{
    char start[4096];
    if (!getcwd(start, sizeof start))
        abort();
    for (int i = 1; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        std::string anchored;
        const std::string prefix = "-artifact_prefix=";
        if (arg[0] != '-' && arg[0] != '/')
            anchored = std::string(start) + "/" + arg;
        else if (arg.compare(0, prefix.size(), prefix) == 0 && arg[prefix.size()] != '/')
            anchored = prefix + start + "/" + arg.substr(prefix.size());
        if (!anchored.empty())
            (*argv)[i] = strdup(anchored.c_str());
    }
}

std::string fuzzDirectory;

// The directory is private to this process: leave nothing behind.
void RemoveFuzzDirectory()
{
    for (const char* name : {"log.txt", "s.csf", "a.caf", "m.cmf", "r.crf", "input.csf",
                             "input.caf", "input.cmf", "input.crf", "input.cfg", "m.md5mesh", "a.md5anim",
                             "m.anims"})
        unlink((fuzzDirectory + "/" + name).c_str());
    rmdir(fuzzDirectory.c_str());
}

}  // namespace

void EnterFuzzDirectory(const char* target, int* argc, char*** argv)
{
    AnchorArguments(argc, argv);
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string dir = std::string(base) + "/" + target + "-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    fuzzDirectory = dir;
    atexit(RemoveFuzzDirectory);
    if (chdir(dir.c_str()) != 0)
        abort();
    unlink("log.txt");
    if (symlink("/dev/null", "log.txt") != 0)
        abort();
    cal3d::Write("s.csf", SeedSkeleton());
    cal3d::Write("a.caf", SeedAnimation());
    cal3d::Write("m.cmf", SeedMesh());
    cal3d::Write("r.crf", SeedMaterial());
}

std::string PutInput(const char* name, const uint8_t* data, size_t size)
{
    FILE* file = fopen(name, "wb");
    if (!file)
        abort();
    if (size > 0)
        fwrite(data, 1, size, file);
    fclose(file);
    return name;
}

cal3d::Skeleton SeedSkeleton()
{
    cal3d::Skeleton skeleton = RootWithTwoChildren("hips", "leg", "spine");
    skeleton.bones[1].translation = {0, 0, -1};
    skeleton.bones[2].rotation = {0, 0.7071f, 0, 0.7071f};
    return skeleton;
}

cal3d::Animation SeedAnimation()
{
    cal3d::Animation animation;
    animation.duration = 2;
    for (int32_t bone = 0; bone < 3; ++bone) {
        cal3d::Track track;
        track.bone = bone;
        for (int k = 0; k < bone + 1; ++k) {
            cal3d::Key key;
            key.time = (float)k;
            key.translation = {(float)k, 0, 0};
            track.keys.push_back(key);
        }
        animation.tracks.push_back(track);
    }
    return animation;
}

cal3d::Mesh SeedMesh()
{
    cal3d::Mesh mesh;
    for (int32_t material = 1; material >= 0; --material) {
        cal3d::Submesh submesh;
        submesh.material = material;
        submesh.texCoordSets = material ? 2 : 1;
        for (int i = 0; i < 4; ++i) {
            cal3d::Vertex vertex;
            vertex.position = {(float)(i & 1), (float)(i >> 1), 0};
            vertex.normal = {0, 0, 1};
            vertex.texCoords = {{0.5f, 0.5f}, {1, 1}};
            vertex.influences = {{i % 3, 0.75f}, {0, 0.25f}};
            submesh.vertices.push_back(vertex);
        }
        if (material)
            submesh.springs = {{0, 1, 0.5f, 1.0f}};
        submesh.indices = {0, 1, 2, 2, 1, 3};
        mesh.submeshes.push_back(submesh);
    }
    return mesh;
}

cal3d::Material SeedMaterial()
{
    cal3d::Material material;
    material.ambient = {0x10, 0x20, 0x30, 0x40};
    material.diffuse = {200, 100, 50, 255};
    material.shininess = 20;
    material.maps = {"skin.png", "detail.png"};
    return material;
}

std::string SeedConfig()
{
    return "# seed model\nscale=0.5\npath=\nskeleton=s.csf\nanimation=a.caf\n"
           "animation = a.caf\nmesh=m.cmf\nmaterial=r.crf\nmaterial=r.crf\n";
}

void CheckSkeleton(const EngineArray<Bone>& bones)
{
    for (uint32_t b = 0; b < bones.Count(); ++b) {
        FUZZ_EXPECT(bones[b].parent == -1 || (uint32_t)bones[b].parent < bones.Count());
        for (uint32_t c = 0; c < bones[b].children.Count(); ++c) {
            int32_t child = bones[b].children[c];
            FUZZ_EXPECT((uint32_t)child < bones.Count());
            FUZZ_EXPECT(bones[child].parent == (int32_t)b);
        }
    }
}

void CheckAnimation(const Animation& animation)
{
    FUZZ_EXPECT(animation.duration >= 0);
    FUZZ_EXPECT(animation.tracks.Count() > 0);
    uint64_t next = 0;
    for (uint32_t t = 0; t < animation.tracks.Count(); ++t) {
        const Track& track = animation.tracks[t];
        FUZZ_EXPECT(track.bone >= 0 && track.keyCount >= 0);
        FUZZ_EXPECT((uint64_t)track.firstKey == next);
        next += (uint64_t)track.keyCount;
    }
    FUZZ_EXPECT(next == animation.keys.Count());
}

void CheckSubmeshes(const EngineArray<Cal3DSubmesh>& submeshes)
{
    FUZZ_EXPECT(submeshes.Count() > 0);
    for (uint32_t s = 0; s < submeshes.Count(); ++s) {
        const Cal3DSubmesh& submesh = submeshes[s];
        FUZZ_EXPECT(submesh.indices.Count() % 3 == 0);
        for (uint32_t i = 0; i < submesh.indices.Count(); ++i)
            FUZZ_EXPECT((uint32_t)submesh.indices[i] < submesh.vertices.Count());
        uint64_t next = 0;
        for (uint32_t v = 0; v < submesh.vertices.Count(); ++v) {
            FUZZ_EXPECT(submesh.vertices[v].firstInfluence == next);
            next += submesh.vertices[v].influenceCount;
        }
        FUZZ_EXPECT(next == submesh.influences.Count());
    }
}

void CheckModel(const ModelSkelData& data)
{
    CheckSkeleton(data.bones);
    for (uint32_t a = 0; a < data.animations.Count(); ++a) {
        CheckAnimation(data.animations[a]);
        for (uint32_t t = 0; t < data.animations[a].tracks.Count(); ++t)
            FUZZ_EXPECT((uint32_t)data.animations[a].tracks[t].bone < data.bones.Count());
    }
    FUZZ_EXPECT(data.vertices.Count() <= 0xFFFF);
    for (uint32_t i = 0; i < data.indices.Count(); ++i)
        FUZZ_EXPECT(data.indices[i] < data.vertices.Count());
    for (uint32_t v = 0; v < data.vertices.Count(); ++v) {
        const SkinVertex& vertex = data.vertices[v];
        FUZZ_EXPECT((uint64_t)vertex.firstInfluence + vertex.influenceCount <= data.influences.Count());
    }
    for (uint32_t i = 0; i < data.influences.Count(); ++i)
        FUZZ_EXPECT((uint32_t)data.influences[i].bone < data.bones.Count());
    uint64_t indexEnd = 0, vertexEnd = 0;
    for (uint32_t m = 0; m < data.materials.Count(); ++m) {
        const SkelMaterial& material = data.materials[m];
        FUZZ_EXPECT(material.startIndex == indexEnd && material.firstVertex == vertexEnd);
        indexEnd += material.indexCount;
        vertexEnd += material.vertexCount;
        // Every index drawn with a material lies in its vertex range.
        for (uint32_t i = material.startIndex; i < indexEnd; ++i)
            FUZZ_EXPECT(data.indices[i] >= material.firstVertex && data.indices[i] < vertexEnd);
    }
    FUZZ_EXPECT(indexEnd == data.indices.Count() && vertexEnd == data.vertices.Count());

    // The hierarchy walk from the roots reaches each bone at most once.
    std::vector<uint32_t> visits(data.bones.Count());
    std::vector<int32_t> stack(data.roots.Data(), data.roots.Data() + data.roots.Count());
    while (!stack.empty()) {
        int32_t bone = stack.back();
        stack.pop_back();
        FUZZ_EXPECT(++visits[bone] == 1);
        const EngineArray<int32_t>& children = data.bones[bone].children;
        stack.insert(stack.end(), children.Data(), children.Data() + children.Count());
    }
}
