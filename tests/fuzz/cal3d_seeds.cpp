// Writes a Cal3D fuzz target's seed inputs into the folder given as
// argument. Built once per target with CAL3D_SEED_KIND naming the file kind.
#include "cal3d_fuzz_support.h"

#include <stdio.h>
#include <string.h>

namespace {

bool Put(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes)
{
    return cal3d::WriteFile(dir + "/" + name, bytes);
}

bool WriteSeeds(const std::string& kind, const std::string& dir)
{
    bool ok = true;
    if (kind == "skeleton") {
        cal3d::Skeleton skeleton = SeedSkeleton();
        ok &= Put(dir, "three.csf", cal3d::Encode(skeleton));
        skeleton.version = 1100;
        skeleton.bones[1].name.assign(300, 'x');
        ok &= Put(dir, "long-name.csf", cal3d::Encode(skeleton));
    } else if (kind == "animation") {
        cal3d::Animation animation = SeedAnimation();
        ok &= Put(dir, "walk.caf", cal3d::Encode(animation));
        animation.tracks[1].keys.clear();
        animation.version = 699;
        ok &= Put(dir, "empty-track.caf", cal3d::Encode(animation));
    } else if (kind == "mesh") {
        cal3d::Mesh mesh = SeedMesh();
        ok &= Put(dir, "two.cmf", cal3d::Encode(mesh));
        mesh.submeshes.resize(1);
        mesh.submeshes[0].springs.clear();
        mesh.submeshes[0].texCoordSets = 0;
        ok &= Put(dir, "plain.cmf", cal3d::Encode(mesh));
    } else if (kind == "material") {
        cal3d::Material material = SeedMaterial();
        ok &= Put(dir, "two-maps.crf", cal3d::Encode(material));
        material.maps.clear();
        ok &= Put(dir, "no-map.crf", cal3d::Encode(material));
    } else if (kind == "config") {
        std::string text = SeedConfig();
        ok &= Put(dir, "model.cfg", std::vector<uint8_t>(text.begin(), text.end()));
        std::string crlf = "skeleton = s.csf\r\n\r\n# comment\r\nmesh=m.cmf\r\nmaterial=r.crf\r\n"
                           "material=r.crf\r\n";
        ok &= Put(dir, "crlf.cfg", std::vector<uint8_t>(crlf.begin(), crlf.end()));
    } else {
        return false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    if (!WriteSeeds(CAL3D_SEED_KIND, argv[1])) {
        fprintf(stderr, "cannot write the %s seeds into %s\n", CAL3D_SEED_KIND, argv[1]);
        return 1;
    }
    return 0;
}
