// The skinning paths on skins built in memory, each held to the scalar
// reference: data at the edges of the float range, bone arrays at every
// vector alignment, and outputs fenced by markers for small vertex counts.
#include "models/skinned/skinning.h"

#include "support/skinning_paths.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct TestVertex {
    SkelVector position, normal;
    std::vector<Influence> influences;
};

// A skin as the loader packs it: the scalar path's arrays and the vector
// paths' stream of the same vertices.
struct MemorySkin {
    EngineArray<SkinVertex> vertices;
    EngineArray<Influence> influences;
    SkinStream stream;

    explicit MemorySkin(const std::vector<TestVertex>& from)
    {
        size_t total = 0;
        for (const TestVertex& vertex : from)
            total += vertex.influences.size();
        EXPECT_TRUE(vertices.Allocate((uint32_t)from.size()) && influences.Allocate((uint32_t)total));
        uint32_t next = 0;
        for (uint32_t i = 0; i < from.size(); ++i) {
            SkinVertex& to = vertices[i];
            to.position = from[i].position;
            to.normal = from[i].normal;
            to.firstInfluence = next;
            to.influenceCount = (uint32_t)from[i].influences.size();
            for (const Influence& influence : from[i].influences)
                influences[next++] = influence;
        }
        EXPECT_TRUE(stream.Build(vertices, influences));
    }
};

// Bone matrices copied to `offset` bytes past a 64-byte boundary, so a
// kernel meets that alignment whatever the allocator hands out.
class PlacedBones {
public:
    PlacedBones(const std::vector<SkinMatrix>& bones, size_t offset)
        : storage(new unsigned char[bones.size() * sizeof(SkinMatrix) + 128])
    {
        uintptr_t boundary = (reinterpret_cast<uintptr_t>(storage.get()) + 63) & ~(uintptr_t)63;
        placed = reinterpret_cast<SkinMatrix*>(boundary + offset);
        std::uninitialized_copy(bones.begin(), bones.end(), placed);
    }
    const SkinMatrix* Get() const { return placed; }

private:
    std::unique_ptr<unsigned char[]> storage;
    SkinMatrix* placed = nullptr;
};

// An output array with marker floats on both sides: a pass that writes one
// float too early or too late changes a marker, whatever lies around it.
class FencedArray {
public:
    static constexpr uint32_t kFence = 8;
    static constexpr uint32_t kMarker = 0x7FA1B2C3u;  // a signalling NaN no pass computes

    explicit FencedArray(size_t count) : floats(count + 2 * kFence)
    {
        for (float& f : floats)
            memcpy(&f, &kMarker, sizeof f);
    }
    float* Data() { return floats.data() + kFence; }
    float operator[](size_t i) const { return floats[kFence + i]; }
    bool FencesIntact() const
    {
        for (size_t i = 0; i < floats.size(); i = i + 1 == kFence ? floats.size() - kFence : i + 1) {
            uint32_t bits;
            memcpy(&bits, &floats[i], sizeof bits);
            if (bits != kMarker)
                return false;
        }
        return true;
    }

private:
    std::vector<float> floats;
};

struct Pass {
    FencedArray vertexData, positions;
    float minimum[3], maximum[3];
};

Pass SkinPass(SkinningPath path, const MemorySkin& skin, const SkinMatrix* bones)
{
    uint32_t count = skin.vertices.Count();
    Pass pass{FencedArray(6 * count), FencedArray(3 * count), {}, {}};
    RunSkinPass(path, bones, skin.vertices, skin.influences, skin.stream, pass.vertexData.Data(),
                pass.positions.Data(), pass.minimum, pass.maximum);
    return pass;
}

// Within `tolerance` of the reference, relative to its size above 1; or
// both NaN, or the same infinity.
bool Same(float expected, float actual, float tolerance)
{
    if (std::isnan(expected) || std::isnan(actual))
        return std::isnan(expected) && std::isnan(actual);
    if (std::isinf(expected) || std::isinf(actual))
        return expected == actual;
    return std::fabs(expected - actual) <= tolerance * std::max(1.0f, std::fabs(expected));
}

::testing::AssertionResult MatchesReference(const Pass& reference, const Pass& pass, uint32_t count,
                                            float tolerance = 1e-5f)
{
    if (!pass.vertexData.FencesIntact())
        return ::testing::AssertionFailure() << "wrote outside the vertex data";
    if (!pass.positions.FencesIntact())
        return ::testing::AssertionFailure() << "wrote outside the kept positions";
    for (uint32_t i = 0; i < 6 * count; ++i)
        if (!Same(reference.vertexData[i], pass.vertexData[i], tolerance))
            return ::testing::AssertionFailure() << "vertex " << i / 6 << " float " << i % 6 << ": "
                                                 << pass.vertexData[i] << " instead of " << reference.vertexData[i];
    for (uint32_t i = 0; i < 3 * count; ++i)
        if (!Same(reference.positions[i], pass.positions[i], tolerance))
            return ::testing::AssertionFailure() << "kept position " << i / 3 << " axis " << i % 3 << ": "
                                                 << pass.positions[i] << " instead of " << reference.positions[i];
    for (int axis = 0; axis < 3; ++axis)
        if (!Same(reference.minimum[axis], pass.minimum[axis], tolerance) ||
            !Same(reference.maximum[axis], pass.maximum[axis], tolerance))
            return ::testing::AssertionFailure() << "box axis " << axis << ": " << pass.minimum[axis] << ".."
                                                 << pass.maximum[axis] << " instead of " << reference.minimum[axis]
                                                 << ".." << reference.maximum[axis];
    return ::testing::AssertionSuccess();
}

SkinMatrix Moved(float x, float y, float z)
{
    return SkinMatrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {x, y, z, 0}}};
}

// A rotation from a random unit quaternion and a random translation.
SkinMatrix RandomBone(std::mt19937& random)
{
    std::normal_distribution<float> normal;
    float x = normal(random), y = normal(random), z = normal(random), w = normal(random);
    float length = std::sqrt(x * x + y * y + z * z + w * w);
    x /= length, y /= length, z /= length, w /= length;
    return SkinMatrix{{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y), 0},
                       {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x), 0},
                       {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y), 0},
                       {normal(random), normal(random), normal(random), 0}}};
}

// The 256-bit kernel reads two columns a load: bones 16 bytes past a 32-byte
// boundary are legal for the type and must be read like any others.
TEST(SkinningKernels, ReadBonesAtEveryVectorAlignment)
{
    std::mt19937 random(5);
    std::vector<SkinMatrix> bones;
    for (int b = 0; b < 7; ++b)
        bones.push_back(RandomBone(random));
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<TestVertex> vertices;
    for (int v = 0; v < 40; ++v) {
        TestVertex vertex{{3 * unit(random), 3 * unit(random), 3 * unit(random)}, {0, 0, 1}, {}};
        for (int k = 0; k <= v % 3; ++k)
            vertex.influences.push_back({(int32_t)(random() % bones.size()), 0.2f + std::fabs(unit(random))});
        vertices.push_back(vertex);
    }
    MemorySkin skin(vertices);
    PlacedBones aligned(bones, 0);
    Pass reference = SkinPass(SkinningPath::Scalar, skin, aligned.Get());
    for (size_t offset : {0, 16, 32, 48}) {
        PlacedBones placed(bones, offset);
        for (SkinningPath path : AvailableSkinningPaths())
            EXPECT_TRUE(MatchesReference(reference, SkinPass(path, skin, placed.Get()), skin.vertices.Count(), 1e-4f))
                << SkinningPathName(path) << ", bones " << offset << " bytes past a 64-byte boundary";
    }
}

// Normals whose squared length is below the smallest normal float, or
// beyond the largest, are normalised as the reference's D3DX call does:
// by the length of the rounded square, and to zero when that is 0 or
// infinite. NaN stays NaN and out of the box.
TEST(SkinningKernels, ExtremeWeightsAndPositionsGiveTheReferenceResults)
{
    const SkelVector up{0, 0, 1};
    std::vector<TestVertex> vertices = {
        {{1, 1, 1}, up, {{0, 1e-19f}}},             // squared length below the normal range
        {{1, 1, 1}, up, {{0, 3e-23f}}},             // squared length one denormal step
        {{1, 1, 1}, up, {{0, 3e19f}}},              // squared length overflows
        {{1, 1, 1}, up, {{0, 1e-45f}}},             // squared length underflows to 0
        {{1, 1, 1}, {0.6f, 0, 0.8f}, {{0, 2e-20f}, {1, 1e-20f}}},
        {{1, 1, 1}, up, {{0, kNaN}}},               // NaN everywhere, kept out of the box
        {{1, 1, 1}, up, {}},                        // no influence: the origin, no normal
        {{1, 1, 1}, up, {{0, 0.3f}, {1, 0.3f}}},    // weights summing to 0.6
        {{-1, 2, 0.5f}, up, {{0, 2}, {1, 2}}},      // and to 4
        {{1e30f, -1e30f, 3e38f}, up, {{0, 1}}},     // huge but finite
        {{1e30f, -1e30f, 3e38f}, up, {{0, 2}}},     // z overflows to infinity
        {{1e-40f, -1e-40f, 0}, up, {{0, 1}}},       // denormal positions
        {{kNaN, 1, 1}, up, {{0, 1}}},               // a NaN coordinate: 0 x NaN spreads it
    };
    MemorySkin skin(vertices);
    PlacedBones bones({Moved(0, 0, 0), Moved(1, 2, 3)}, 0);
    Pass reference = SkinPass(SkinningPath::Scalar, skin, bones.Get());
    const float expectedZ[] = {1.0f, 0.8f, 0.0f, 0.0f};
    for (uint32_t v = 0; v < 4; ++v) {
        EXPECT_EQ(0.0f, reference.vertexData[6 * v + 3]) << "vertex " << v;
        EXPECT_NEAR(expectedZ[v], reference.vertexData[6 * v + 5], 0.01f) << "vertex " << v;
    }
    EXPECT_TRUE(std::isnan(reference.vertexData[6 * 5 + 5]));

    for (SkinningPath path : AvailableSkinningPaths())
        EXPECT_TRUE(MatchesReference(reference, SkinPass(path, skin, bones.Get()), skin.vertices.Count()))
            << SkinningPathName(path);
}

// A NaN coordinate makes the whole skinned position NaN (0 x NaN in the
// matrix); such positions, met first, in the middle and last, never enter
// the box, nor do they reset what it held.
TEST(SkinningKernels, NaNPositionsNeverEnterTheBox)
{
    const SkelVector up{0, 0, 1};
    std::vector<TestVertex> vertices = {
        {{kNaN, kNaN, kNaN}, up, {{0, 1}}}, {{5, -4, 3}, up, {{0, 1}}},  {{kNaN, 1, 1}, up, {{0, 1}}},
        {{1, 9, 1}, up, {{0, kNaN}}},       {{-2, 1, -6}, up, {{0, 1}}}, {{1, 0, 8}, up, {{0, 1}}},
        {{1, 1, kNaN}, up, {{0, 1}}},
    };
    MemorySkin skin(vertices);
    PlacedBones bones({Moved(0, 0, 0)}, 0);
    const float minimum[3] = {-2, -4, -6}, maximum[3] = {5, 1, 8};
    for (SkinningPath path : AvailableSkinningPaths()) {
        Pass pass = SkinPass(path, skin, bones.Get());
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(minimum[axis], pass.minimum[axis]) << SkinningPathName(path) << " axis " << axis;
            EXPECT_EQ(maximum[axis], pass.maximum[axis]) << SkinningPathName(path) << " axis " << axis;
        }
    }
}

// The vector paths store more than a vertex at once and the last one
// exactly: for every small count nothing lands outside either array.
TEST(SkinningKernels, WriteOnlyTheirOwnOutputsForAnyVertexCount)
{
    std::mt19937 random(9);
    std::vector<SkinMatrix> bones = {RandomBone(random), RandomBone(random)};
    PlacedBones placed(bones, 16);
    for (uint32_t count : {0, 1, 2, 3, 4, 5, 8, 9}) {
        std::vector<TestVertex> vertices;
        for (uint32_t v = 0; v < count; ++v)
            vertices.push_back({{(float)v, 1, 2}, {0, 1, 0}, {{(int32_t)(v % 2), 1}}});
        MemorySkin skin(vertices);
        Pass reference = SkinPass(SkinningPath::Scalar, skin, placed.Get());
        for (SkinningPath path : AvailableSkinningPaths())
            EXPECT_TRUE(MatchesReference(reference, SkinPass(path, skin, placed.Get()), count))
                << SkinningPathName(path) << ", " << count << " vertices";
        if (count == 0) {
            EXPECT_EQ(1e38f, reference.minimum[0]);
            EXPECT_EQ(-1e38f, reference.maximum[2]);
        }
    }
}

}  // namespace
