#include "cal3d_test_support.h"

#include <math.h>

namespace {

class AnimationReader : public Cal3DTest {
protected:
    HRESULT Load(const std::string& name) { return LoadCal3DAnimation(name.c_str(), &animation); }

    static cal3d::Animation Walk()
    {
        cal3d::Animation walk;
        walk.duration = 2;
        int keyCounts[] = {2, 0, 3};
        for (int t = 0; t < 3; ++t) {
            cal3d::Track track;
            track.bone = t;
            for (int k = 0; k < keyCounts[t]; ++k) {
                cal3d::Key key;
                key.time = (float)k;
                key.translation = {(float)t, (float)k, 0};
                key.rotation = Q(0, 0, 0, 1);
                track.keys.push_back(key);
            }
            walk.tracks.push_back(track);
        }
        return walk;
    }

    Animation animation;
};

TEST_F(AnimationReader, ConcatenatesTheKeysOfAllTracks)
{
    ASSERT_EQ(S_OK, Load(Put("walk.caf", Walk())));
    EXPECT_EQ(2.0f, animation.duration);
    ASSERT_EQ(3u, animation.tracks.Count());
    ASSERT_EQ(5u, animation.keys.Count());
    int32_t firstKeys[] = {0, 2, 2}, keyCounts[] = {2, 0, 3};
    for (uint32_t t = 0; t < 3; ++t) {
        EXPECT_EQ((int32_t)t, animation.tracks[t].bone);
        EXPECT_EQ(firstKeys[t], animation.tracks[t].firstKey);
        EXPECT_EQ(keyCounts[t], animation.tracks[t].keyCount);
    }
    // The third track's keys follow the first track's, in file order.
    EXPECT_EQ(0.0f, animation.keys[1].translation.x);
    EXPECT_EQ(1.0f, animation.keys[1].time);
    EXPECT_EQ(2.0f, animation.keys[4].translation.x);
    EXPECT_EQ(2.0f, animation.keys[4].translation.y);
    EXPECT_EQ(1.0f, animation.keys[4].rotation.w);
}

TEST_F(AnimationReader, Durations)
{
    struct Case {
        float duration;
        HRESULT result;
    } cases[] = {{0.0f, S_OK}, {-0.5f, QLE_SUBFUNCTION}, {NAN, QLE_SUBFUNCTION}};
    for (const Case& c : cases) {
        cal3d::Animation walk = Walk();
        walk.duration = c.duration;
        ForgetLog();
        EXPECT_EQ(c.result, Load(Put("d.caf", walk))) << c.duration;
        EXPECT_EQ(c.result != S_OK, Log().find("Negative animation duration") != std::string::npos);
    }
}

TEST_F(AnimationReader, RefusesEmptyAnimationsAndNegativeBones)
{
    cal3d::Animation empty = Walk();
    empty.tracks.clear();
    EXPECT_EQ(E_FAIL, Load(Put("empty.caf", empty)));
    EXPECT_THAT(Log(), HasSubstr("empty.caf : No Tracks in this animation"));

    cal3d::Animation negative = Walk();
    negative.tracks[2].bone = -1;
    EXPECT_EQ(QLE_SUBFUNCTION, Load(Put("neg.caf", negative)));
    EXPECT_THAT(Log(), HasSubstr("Negative bone ID"));
}

TEST_F(AnimationReader, VersionsAndMagic)
{
    auto load = [this](const std::string& name) { return Load(name); };
    ExpectEveryVersionLoads(Walk(), "v.caf", load);
    // A skeleton's token.
    ExpectForeignMagicFails(cal3d::Encode(Walk()), 1, 'S', "csf.caf", load);
}

TEST_F(AnimationReader, ShortFilesFailWithoutReadingPastTheEnd)
{
    ExpectEveryCutFails(cal3d::Encode(Walk()), "cut.caf",
                        [this](const std::string& name) { return Load(name); });
}

}  // namespace
