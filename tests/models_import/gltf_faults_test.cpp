// Bad glTF input: every case fails the load with the importer's record and
// the loader's "Error while loading the Model", leaves no model behind, and
// (under the sanitizers of the test runs) reads nothing out of bounds and
// leaks nothing.
#include "gltf_fixture.h"

#include "support/file_bytes.h"

#include <stdio.h>

TEST_F(GltfTest, DamagedContainersAreRefused)
{
    std::vector<uint8_t> glb = gltfwriter::Bytes(gltfwriter::StaticScene(), true);

    std::vector<uint8_t> cut(glb.begin(), glb.begin() + glb.size() / 2);
    std::string truncated = Path("_cut.glb");
    ASSERT_TRUE(WriteFileBytes(truncated, cut.data(), cut.size()));
    ExpectLoadFailure(truncated, "glTF file '" + truncated + "' : ");

    std::vector<uint8_t> magic = glb;
    magic[3] = 'X';
    std::string wrongMagic = Path("_magic.glb");
    ASSERT_TRUE(WriteFileBytes(wrongMagic, magic.data(), magic.size()));
    ExpectLoadFailure(wrongMagic, "glTF file '" + wrongMagic + "' : ");

    std::string text = Save(gltfwriter::StaticScene(), false);
    ASSERT_EQ(0, remove((text.substr(0, text.size() - 5) + ".bin").c_str()));
    ExpectLoadFailure(text, "glTF file '" + text + "' : ");

    ExpectLoadFailure("models/none.glb", "glTF file 'models/none.glb' : the file cannot be opened");
}

TEST_F(GltfTest, RangesAndIndicesPastTheirDataAreRefused)
{
    const struct {
        gltfwriter::Fault fault;
        const char* tag;
        const char* why;
    } cases[] = {
        {gltfwriter::Fault::BufferViewPastBuffer, "view", "runs past the end of its buffer"},
        {gltfwriter::Fault::AccessorPastView, "accessor", "(accessor 0) reads past the end of its buffer view"},
        {gltfwriter::Fault::IndexPastVertices, "index", "mesh 'quad' has an index past its vertex count (4 of 4)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        tinygltf::Model scene = gltfwriter::StaticScene();
        ASSERT_TRUE(gltfwriter::Break(&scene, c.fault));
        ExpectLoadFailure(Save(scene, true, c.tag), c.why);
    }
}

TEST_F(GltfTest, SkeletonFaultsAreRefused)
{
    tinygltf::Model creature = gltfwriter::Creature();
    ASSERT_TRUE(gltfwriter::Break(&creature, gltfwriter::Fault::JointCycle));
    ExpectLoadFailure(Save(creature, true, "cycle"), "the node hierarchy has a cycle");

    creature = gltfwriter::Creature();
    ASSERT_TRUE(gltfwriter::Break(&creature, gltfwriter::Fault::NanMatrix));
    ExpectLoadFailure(Save(creature, true, "nan"), "inverseBindMatrices (accessor 0) holds a value that is not a number");

    // A vertex naming a joint its skin does not have.
    creature = gltfwriter::Creature();
    tinygltf::Accessor& joints = creature.accessors[creature.meshes[0].primitives[0].attributes["JOINTS_0"]];
    const tinygltf::BufferView& view = creature.bufferViews[joints.bufferView];
    uint16_t past = 27;
    memcpy(&creature.buffers[0].data[view.byteOffset], &past, 2);
    ExpectLoadFailure(Save(creature, true, "joint"), "a vertex names joint 27 of skin 'creature', which has 27");
}

// Joints stored as signed bytes: a negative one names no joint at all.
TEST_F(GltfTest, NegativeJointIndexIsRefused)
{
    tinygltf::Model creature = gltfwriter::Creature();
    int index = creature.meshes[0].primitives[0].attributes["JOINTS_0"];
    tinygltf::Accessor& joints = creature.accessors[index];
    const tinygltf::BufferView& view = creature.bufferViews[joints.bufferView];
    joints.componentType = TINYGLTF_COMPONENT_TYPE_BYTE;
    creature.buffers[0].data[view.byteOffset] = 0x80;
    ExpectLoadFailure(Save(creature), "JOINTS_0 (accessor " + std::to_string(index) + ") holds a value out of range (-128)");
}
