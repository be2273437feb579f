// Writes a Cal3D fuzz target's seed inputs into the folder given as
// argument. Built once per target with CAL3D_SEED_KIND naming the file kind.
#include "cal3d_fuzz_support.h"
#include "seed_main.h"

namespace {

bool WriteSeeds(const std::string& dir)
{
    const std::string kind = CAL3D_SEED_KIND;
    auto put = [&dir](const char* name, const std::vector<uint8_t>& bytes) { return WriteSeed(dir, name, bytes); };
    bool ok = true;
    if (kind == "skeleton") {
        cal3d::Skeleton skeleton = SeedSkeleton();
        ok &= put("three.csf", cal3d::Encode(skeleton));
        skeleton.version = 1100;
        skeleton.bones[1].name.assign(300, 'x');
        ok &= put("long-name.csf", cal3d::Encode(skeleton));
    } else if (kind == "animation") {
        cal3d::Animation animation = SeedAnimation();
        ok &= put("walk.caf", cal3d::Encode(animation));
        animation.tracks[1].keys.clear();
        animation.version = 699;
        ok &= put("empty-track.caf", cal3d::Encode(animation));
    } else if (kind == "mesh") {
        cal3d::Mesh mesh = SeedMesh();
        ok &= put("two.cmf", cal3d::Encode(mesh));
        mesh.submeshes.resize(1);
        mesh.submeshes[0].springs.clear();
        mesh.submeshes[0].texCoordSets = 0;
        ok &= put("plain.cmf", cal3d::Encode(mesh));
    } else if (kind == "material") {
        cal3d::Material material = SeedMaterial();
        ok &= put("two-maps.crf", cal3d::Encode(material));
        material.maps.clear();
        ok &= put("no-map.crf", cal3d::Encode(material));
    } else if (kind == "config") {
        std::string text = SeedConfig();
        ok &= put("model.cfg", std::vector<uint8_t>(text.begin(), text.end()));
        std::string crlf = "skeleton = s.csf\r\n\r\n# comment\r\nmesh=m.cmf\r\nmaterial=r.crf\r\n"
                           "material=r.crf\r\n";
        ok &= put("crlf.cfg", std::vector<uint8_t>(crlf.begin(), crlf.end()));
    } else {
        return false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    return SeedMain(argc, argv, CAL3D_SEED_KIND, WriteSeeds);
}
