#include "cal3dwriter.h"

#include <stdio.h>
#include <string.h>

namespace cal3d {

namespace {

class Out {
public:
    void Bytes(const void* data, size_t size)
    {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    void U32(uint32_t value)
    {
        uint8_t b[4] = {(uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16),
                        (uint8_t)(value >> 24)};
        Bytes(b, 4);
    }
    void I32(int32_t value) { U32((uint32_t)value); }
    void F32(float value)
    {
        uint32_t bits;
        memcpy(&bits, &value, 4);
        U32(bits);
    }
    void V3(const Vec3& v)
    {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Q(const Quat& q)
    {
        F32(q.x);
        F32(q.y);
        F32(q.z);
        F32(q.w);
    }
    void Header(const char* magic, int32_t version)
    {
        Bytes(magic, 3);
        bytes.push_back(0);
        I32(version);
    }
    void Rgba(const Color& c)
    {
        uint8_t b[4] = {c.r, c.g, c.b, c.a};
        Bytes(b, 4);
    }

    std::vector<uint8_t> bytes;
};

}  // namespace

std::vector<uint8_t> Encode(const Skeleton& skeleton)
{
    Out out;
    out.Header("CSF", skeleton.version);
    out.U32((uint32_t)skeleton.bones.size());
    for (const Bone& bone : skeleton.bones) {
        out.U32((uint32_t)bone.name.size());
        out.Bytes(bone.name.data(), bone.name.size());
        out.V3(bone.translation);
        out.Q(bone.rotation);
        out.V3(bone.boneSpaceTranslation);
        out.Q(bone.boneSpaceRotation);
        out.I32(bone.parent);
        out.U32((uint32_t)bone.children.size());
        for (int32_t child : bone.children)
            out.I32(child);
    }
    return out.bytes;
}

std::vector<uint8_t> Encode(const Animation& animation)
{
    Out out;
    out.Header("CAF", animation.version);
    out.F32(animation.duration);
    out.U32((uint32_t)animation.tracks.size());
    for (const Track& track : animation.tracks) {
        out.I32(track.bone);
        out.U32((uint32_t)track.keys.size());
        for (const Key& key : track.keys) {
            out.F32(key.time);
            out.V3(key.translation);
            out.Q(key.rotation);
        }
    }
    return out.bytes;
}

std::vector<uint8_t> Encode(const Mesh& mesh)
{
    Out out;
    out.Header("CMF", mesh.version);
    out.U32((uint32_t)mesh.submeshes.size());
    for (const Submesh& submesh : mesh.submeshes) {
        out.I32(submesh.material);
        out.U32((uint32_t)submesh.vertices.size());
        out.U32((uint32_t)(submesh.indices.size() / 3));
        out.U32(submesh.lodCount);
        out.U32((uint32_t)submesh.springs.size());
        out.U32(submesh.texCoordSets);
        for (const Vertex& vertex : submesh.vertices) {
            out.V3(vertex.position);
            out.V3(vertex.normal);
            out.I32(vertex.collapseVertex);
            out.U32(vertex.faceCollapseCount);
            for (uint32_t set = 0; set < submesh.texCoordSets; ++set) {
                TexCoord coord = set < vertex.texCoords.size() ? vertex.texCoords[set] : TexCoord{};
                out.F32(coord.u);
                out.F32(coord.v);
            }
            out.U32((uint32_t)vertex.influences.size());
            for (const Influence& influence : vertex.influences) {
                out.I32(influence.bone);
                out.F32(influence.weight);
            }
            if (!submesh.springs.empty())
                out.F32(vertex.springWeight);
        }
        for (const Spring& spring : submesh.springs) {
            out.I32(spring.vertex0);
            out.I32(spring.vertex1);
            out.F32(spring.coefficient);
            out.F32(spring.idleLength);
        }
        for (size_t i = 0; i + 2 < submesh.indices.size(); i += 3) {
            out.I32(submesh.indices[i]);
            out.I32(submesh.indices[i + 1]);
            out.I32(submesh.indices[i + 2]);
        }
    }
    return out.bytes;
}

std::vector<uint8_t> Encode(const Material& material)
{
    Out out;
    out.Header("CRF", material.version);
    out.Rgba(material.ambient);
    out.Rgba(material.diffuse);
    out.Rgba(material.specular);
    out.F32(material.shininess);
    out.U32((uint32_t)material.maps.size());
    for (const std::string& map : material.maps) {
        out.U32((uint32_t)map.size() + 1);
        out.Bytes(map.c_str(), map.size() + 1);
    }
    return out.bytes;
}

std::string Encode(const Config& config)
{
    std::string text;
    for (const ConfigEntry& entry : config.entries)
        text += entry.key + "=" + entry.value + "\n";
    return text;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

bool WriteFile(const std::string& path, const std::string& text)
{
    return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace cal3d
