// The skinning paths against the scalar reference on random skeletons and
// poses, and what every path must keep: the bind pose, normals untouched by
// translations, the hierarchy's order of rotations.
#include "skel_model_support.h"

#include "support/allocation_failure.h"
#include "support/skinning_paths.h"

#include <stdlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// The output of one skinning pass, in memory of the test's own.
struct PassOutput {
    std::vector<float> vertexData, positions;
    float minimum[3], maximum[3];
};

PassOutput SkinOn(SkinningPath path, const ModelSkelMeta& meta)
{
    uint32_t count = meta.data.vertices.Count();
    PassOutput out{std::vector<float>(6 * count), std::vector<float>(3 * count), {}, {}};
    RunSkinPass(path, SkinMatrices(), meta.data.vertices, meta.data.influences, meta.skin, out.vertexData.data(),
                out.positions.data(), out.minimum, out.maximum);
    return out;
}

// Every value of `actual` within `tolerance` of `expected`; names the first
// that is not.
::testing::AssertionResult AllNear(const std::vector<float>& expected, const std::vector<float>& actual,
                                   uint32_t stride, uint32_t first, uint32_t lanes, float tolerance)
{
    for (size_t i = 0; i < expected.size(); i += stride)
        for (uint32_t lane = first; lane < first + lanes; ++lane)
            if (!(std::fabs(expected[i + lane] - actual[i + lane]) <= tolerance))
                return ::testing::AssertionFailure()
                       << "vertex " << i / stride << " lane " << lane << ": " << actual[i + lane] << " instead of "
                       << expected[i + lane];
    return ::testing::AssertionSuccess();
}

cal3d::Quat RandomRotation(std::mt19937& random)
{
    std::normal_distribution<float> normal;
    D3DXQUATERNION q(normal(random), normal(random), normal(random), normal(random));
    D3DXQuaternionNormalize(&q, &q);
    return {q.x, q.y, q.z, q.w};
}

D3DXQUATERNION Quat(const cal3d::Quat& q)
{
    return D3DXQUATERNION(q.x, q.y, q.z, q.w);
}

// A random forest of 3 to 12 bones in random bind poses, each bone's
// bone-space transform the inverse of its bind pose so the bind pose skins
// to itself; the last bone drives no vertex. Vertices carry 1 to 4
// influences whose weights sum to 1, some of them 0; vertex 0 has only
// zero weights. Two animations key random rotations and translations on a
// random half of the bones. Returns the bind positions.
std::vector<D3DXVECTOR3> WriteRandomModel(std::mt19937& random)
{
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    int bones = std::uniform_int_distribution<int>(3, 12)(random);
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(bones);
    std::vector<D3DXVECTOR3> translation(bones);
    std::vector<D3DXQUATERNION> rotation(bones);
    for (int b = 0; b < bones; ++b) {
        cal3d::Bone& bone = skeleton.bones[b];
        bone.parent = b < 2 ? -1 : std::uniform_int_distribution<int>(0, b - 1)(random);
        if (bone.parent >= 0)
            skeleton.bones[bone.parent].children.push_back(b);
        bone.translation = {2 * unit(random), 2 * unit(random), 2 * unit(random)};
        bone.rotation = RandomRotation(random);
        // The bind pose in model space, composed as the hierarchy does.
        D3DXVECTOR3 local(bone.translation.x, bone.translation.y, bone.translation.z);
        D3DXQUATERNION localRotation = Quat(bone.rotation);
        if (bone.parent >= 0) {
            translation[b] = RotateVector(local, rotation[bone.parent]) + translation[bone.parent];
            D3DXQuaternionMultiply(&rotation[b], &rotation[bone.parent], &localRotation);
        } else {
            translation[b] = local;
            rotation[b] = localRotation;
        }
        D3DXQUATERNION inverse(-rotation[b].x, -rotation[b].y, -rotation[b].z, rotation[b].w);
        D3DXVECTOR3 back = RotateVector(-translation[b], inverse);
        bone.boneSpaceTranslation = {back.x, back.y, back.z};
        bone.boneSpaceRotation = {inverse.x, inverse.y, inverse.z, inverse.w};
    }
    cal3d::Write("random.csf", skeleton);

    for (int a = 0; a < 2; ++a) {
        std::vector<cal3d::Track> tracks;
        for (int b = 0; b < bones; ++b) {
            if (random() % 2)
                continue;
            std::vector<cal3d::Key> keys;
            for (int k = 0; k < 3; ++k)
                keys.push_back(skeltest::Key(k * 0.5f, 2 * unit(random), 2 * unit(random), 2 * unit(random),
                                             RandomRotation(random)));
            tracks.push_back(skeltest::Track(b, keys));
        }
        cal3d::Write("random" + std::to_string(a) + ".caf", skeltest::Anim(1.0f, tracks));
    }

    cal3d::Mesh mesh;
    mesh.submeshes.resize(1);
    cal3d::Submesh& submesh = mesh.submeshes[0];
    std::vector<D3DXVECTOR3> bind;
    for (int v = 0; v < 200; ++v) {
        int count = 1 + v % 4;
        std::vector<float> weights(count);
        float sum = 0;
        for (float& weight : weights)
            sum += weight = random() % 3 ? 0.1f + std::fabs(unit(random)) : 0.0f;
        std::vector<cal3d::Influence> influences;
        for (int i = 0; i < count; ++i) {
            int bone = std::uniform_int_distribution<int>(0, bones - 2)(random);
            float weight = v == 0 ? 0.0f : sum > 0 ? weights[i] / sum : i == 0 ? 1.0f : 0.0f;
            influences.push_back({bone, weight});
        }
        D3DXVECTOR3 position(5 * unit(random), 5 * unit(random), 5 * unit(random));
        cal3d::Vertex vertex = skeltest::Vertex(position.x, position.y, position.z, influences);
        D3DXVECTOR3 normal(unit(random), unit(random), unit(random) + 2);
        D3DXVec3Normalize(&normal, &normal);
        vertex.normal = {normal.x, normal.y, normal.z};
        submesh.vertices.push_back(vertex);
        bind.push_back(v == 0 ? D3DXVECTOR3(0, 0, 0) : position);
    }
    for (int t = 0; t + 2 < 200; t += 3)
        submesh.indices.insert(submesh.indices.end(), {t, t + 1, t + 2});
    cal3d::Write("random.cmf", mesh);
    cal3d::Config config;
    config.entries = {{"skeleton", "random.csf"}, {"animation", "random0.caf"}, {"animation", "random1.caf"},
                      {"mesh", "random.cmf"},     {"material", "test.crf"}};
    cal3d::Write("random.cfg", config);
    return bind;
}

class SkinningPaths : public SkelModelTest {
protected:
    void TearDown() override
    {
        SelectSkinningPath(DefaultSkinningPath());
        FailNothrowAllocations(0, 0);
        SkelModelTest::TearDown();
    }
};

TEST_F(SkinningPaths, EveryPathMatchesTheScalarReferenceOnRandomSkeletonsAndPoses)
{
    std::vector<SkinningPath> paths = AvailableSkinningPaths();
    ASSERT_GE(paths.size(), 1u);
    EXPECT_EQ(SkinningPath::Scalar, paths[0]);
    std::mt19937 random(17);
    for (int model = 0; model < 6; ++model) {
        std::vector<D3DXVECTOR3> bind = WriteRandomModel(random);
        IGeometry* geometry = nullptr;
        ASSERT_EQ(S_OK, core->CreateObject("cal3d", "random.cfg", &geometry));
        IModel* randomModel = static_cast<IModel*>(geometry);
        const ModelSkelMeta& meta = *static_cast<ModelSkel*>(randomModel)->Meta();
        // 1e-4 of the model's size: its bind box spans about 10 units.
        const float tolerance = 1e-3f;

        for (int pose = 0; pose < 4; ++pose) {
            SCOPED_TRACE("model " + std::to_string(model) + " pose " + std::to_string(pose));
            if (pose > 0) {
                randomModel->AddAnimation(0, 0.5f + pose);
                randomModel->AddAnimation(1, 1.0f);
            }
            ASSERT_EQ(S_OK, randomModel->Update(0.3f));
            PassOutput reference = SkinOn(SkinningPath::Scalar, meta);
            if (pose == 0) {
                // No animation: every vertex where the mesh put it, the one
                // with only zero weights at the origin.
                for (uint32_t v = 0; v < bind.size(); ++v)
                    ASSERT_THAT(D3DXVECTOR3(reference.positions[3 * v], reference.positions[3 * v + 1],
                                            reference.positions[3 * v + 2]),
                                Near(bind[v].x, bind[v].y, bind[v].z))
                        << "vertex " << v;
            }
            for (SkinningPath path : paths) {
                SCOPED_TRACE(SkinningPathName(path));
                PassOutput skinned = SkinOn(path, meta);
                EXPECT_TRUE(AllNear(reference.vertexData, skinned.vertexData, 6, 0, 3, tolerance));
                EXPECT_TRUE(AllNear(reference.vertexData, skinned.vertexData, 6, 3, 3, 1e-4f));
                EXPECT_TRUE(AllNear(reference.positions, skinned.positions, 3, 0, 3, tolerance));
                for (int axis = 0; axis < 3; ++axis) {
                    EXPECT_NEAR(reference.minimum[axis], skinned.minimum[axis], tolerance);
                    EXPECT_NEAR(reference.maximum[axis], skinned.maximum[axis], tolerance);
                }
                // The switch routes the model's own Update (dt 0 keeps the pose).
                ASSERT_TRUE(SelectSkinningPath(path));
                ASSERT_EQ(S_OK, randomModel->Update(0.0f));
                std::vector<float> kept(3 * bind.size());
                memcpy(kept.data(), &meta.vertexBuffer->Positions()->x, kept.size() * sizeof(float));
                EXPECT_TRUE(AllNear(reference.positions, kept, 3, 0, 3, tolerance));
            }
        }
        randomModel->Release();
    }
}

TEST_F(SkinningPaths, TheSwitchRefusesOnlyPathsThisMachineLacks)
{
    for (uint32_t p = 0; p < (uint32_t)SkinningPath::Count; ++p) {
        SkinningPath path = (SkinningPath)p;
        EXPECT_EQ(SkinningPathAvailable(path), SelectSkinningPath(path)) << SkinningPathName(path);
        if (SkinningPathAvailable(path)) {
            EXPECT_EQ(path, SelectedSkinningPath());
        }
    }
    EXPECT_TRUE(SelectSkinningPath(SkinningPath::Scalar));
    EXPECT_FALSE(SelectSkinningPath(SkinningPath::Count));
    EXPECT_EQ(SkinningPath::Scalar, SelectedSkinningPath());
}

// QL_SKINNING names the path; one this machine lacks, or an unknown name,
// leaves the fastest available path, so a suite run for each path passes
// on any processor.
TEST_F(SkinningPaths, TheEnvironmentNamesThePathOrLeavesTheFastest)
{
    const char* asked = getenv("QL_SKINNING");
    const std::string restore = asked ? asked : "";
    unsetenv("QL_SKINNING");
    const SkinningPath fastest = DefaultSkinningPath();
    EXPECT_EQ(AvailableSkinningPaths().back(), fastest);
    for (uint32_t p = 0; p < (uint32_t)SkinningPath::Count; ++p) {
        SkinningPath path = (SkinningPath)p;
        setenv("QL_SKINNING", SkinningPathName(path), 1);
        EXPECT_EQ(SkinningPathAvailable(path) ? path : fastest, DefaultSkinningPath()) << SkinningPathName(path);
    }
    setenv("QL_SKINNING", "avx512", 1);
    EXPECT_EQ(fastest, DefaultSkinningPath());
    if (asked)
        setenv("QL_SKINNING", restore.c_str(), 1);
    else
        unsetenv("QL_SKINNING");
}

// Bone 1 keyed away from its bind place by (0, 2, 1): positions follow,
// normals (all (0, 0, 1) here) do not.
TEST_F(SkinningPaths, TranslationsMovePositionsButNeverNormals)
{
    ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, model->Update(1.0f));
    ASSERT_THAT(Skinned(1), Near(1, 2, 1));
    const ModelSkelMeta& meta = *static_cast<ModelSkel*>(model)->Meta();
    for (SkinningPath path : AvailableSkinningPaths()) {
        PassOutput skinned = SkinOn(path, meta);
        for (uint32_t v = 0; v < 5; ++v) {
            const float* normal = &skinned.vertexData[6 * v + 3];
            EXPECT_THAT(D3DXVECTOR3(normal[0], normal[1], normal[2]), Near(0, 0, 1))
                << SkinningPathName(path) << " vertex " << v;
        }
    }
}

// The root turns a quarter about z and the arm, below it, a quarter about x.
// The arm's own turn applies first, in its parent's frame: its vertex one
// unit above the joint, (1, 1, 0) in the bind pose, ends at (0, -1, -1).
// Composed the other way round it would end at (1, -1, 0).
TEST_F(SkinningPaths, AChildTurnsInsideItsTurnedParent)
{
    cal3d::Quat aboutZ{0, 0, skeltest::kQuarter, skeltest::kQuarter};
    cal3d::Quat aboutX{skeltest::kQuarter, 0, 0, skeltest::kQuarter};
    cal3d::Write("twist.caf", skeltest::Anim(1, {skeltest::Track(0, {skeltest::Key(0, 0, 0, 0, aboutZ)}),
                                                 skeltest::Track(1, {skeltest::Key(0, 1, 0, 0, aboutX)})}));
    IModel* twisted = LoadConfig("twist.cfg", {{"skeleton", "test.csf"}, {"animation", "twist.caf"},
                                               {"mesh", "test.cmf"}, {"material", "test.crf"}});
    ASSERT_NE(nullptr, twisted);
    ASSERT_EQ(S_OK, twisted->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, twisted->Update(0.1f));
    EXPECT_THAT(Skinned(twisted, 2), Near(0, -1, -1));
    EXPECT_THAT(Skinned(twisted, 1), Near(0, -1, 0));
    twisted->Release();
}

// Growing the bone buffer for a larger model allocates before it frees:
// when memory runs out the growth fails and the models already loaded keep
// their buffer and play on.
TEST_F(SkinningPaths, ABoneBufferThatCannotGrowKeepsTheOldOne)
{
    const uint32_t capacity = BoneStateCapacity();
    const BoneState* states = BoneStates();
    const SkinMatrix* matrices = SkinMatrices();
    ASSERT_GT(capacity, 0u);
    // The bone states, then the skin matrices (the larger), are refused.
    for (size_t refusedFrom : {1000 * sizeof(BoneState), 1000 * sizeof(BoneState) + 1}) {
        FailNothrowAllocations(1, refusedFrom);
        EXPECT_FALSE(ReserveBoneStates(1000)) << refusedFrom;
        EXPECT_EQ(1, RefusedAllocations()) << refusedFrom;
        EXPECT_EQ(capacity, BoneStateCapacity());
        EXPECT_EQ(states, BoneStates());
        EXPECT_EQ(matrices, SkinMatrices());
    }
    FailNothrowAllocations(0, 0);

    ASSERT_EQ(S_OK, model->AddAnimation(1, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    EXPECT_THAT(Skinned(4), Near(0, 1, 5));
}

}  // namespace
