#include "models/import/gltfskin.h"

#include "models/import/gltfscene.h"

#include "models/skinned/cal3dpacking.h"

#include "foundation/file.h"

#include <math.h>

#include <algorithm>
#include <new>

namespace {

// A rigid transform with a scale beside it, in the file's frame.
struct Rigid {
    double t[3];
    double r[4];
    double s[3];
};

Rigid Decompose(const GltfMatrix& m)
{
    Rigid out;
    out.t[0] = m.m[12], out.t[1] = m.m[13], out.t[2] = m.m[14];
    double c[3][3];
    for (int k = 0; k < 3; ++k) {
        out.s[k] = sqrt(m.m[k * 4] * m.m[k * 4] + m.m[k * 4 + 1] * m.m[k * 4 + 1] + m.m[k * 4 + 2] * m.m[k * 4 + 2]);
        for (int row = 0; row < 3; ++row)
            c[k][row] = out.s[k] > 0 ? m.m[k * 4 + row] / out.s[k] : (k == row);
    }
    double trace = c[0][0] + c[1][1] + c[2][2];
    double* q = out.r;
    if (trace > 0) {
        double k = 0.5 / sqrt(trace + 1.0);
        q[3] = 0.25 / k, q[0] = (c[1][2] - c[2][1]) * k, q[1] = (c[2][0] - c[0][2]) * k, q[2] = (c[0][1] - c[1][0]) * k;
    } else if (c[0][0] > c[1][1] && c[0][0] > c[2][2]) {
        double k = 2.0 * sqrt(fmax(1.0 + c[0][0] - c[1][1] - c[2][2], 1e-12));
        q[3] = (c[1][2] - c[2][1]) / k, q[0] = 0.25 * k, q[1] = (c[1][0] + c[0][1]) / k, q[2] = (c[2][0] + c[0][2]) / k;
    } else if (c[1][1] > c[2][2]) {
        double k = 2.0 * sqrt(fmax(1.0 + c[1][1] - c[0][0] - c[2][2], 1e-12));
        q[3] = (c[2][0] - c[0][2]) / k, q[0] = (c[1][0] + c[0][1]) / k, q[1] = 0.25 * k, q[2] = (c[2][1] + c[1][2]) / k;
    } else {
        double k = 2.0 * sqrt(fmax(1.0 + c[2][2] - c[0][0] - c[1][1], 1e-12));
        q[3] = (c[0][1] - c[1][0]) / k, q[0] = (c[2][0] + c[0][2]) / k, q[1] = (c[2][1] + c[1][2]) / k, q[2] = 0.25 * k;
    }
    double length = sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int i = 0; i < 4; ++i)
        q[i] = length > 0 ? q[i] / length : (i == 3);
    return out;
}

bool UnitScale(const double s[3], double of = 1.0)
{
    return fabs(s[0] - of) < 1e-4 * of && fabs(s[1] - of) < 1e-4 * of && fabs(s[2] - of) < 1e-4 * of;
}

SkelVector EngineVector(const double v[3], double scale = 1.0)
{
    return SkelVector{(float)(v[0] * scale), (float)(v[1] * scale), (float)(-v[2] * scale)};
}

void Slerp(const double* a, const double* b, double f, double* out)
{
    double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    double sign = dot < 0 ? -1 : 1;
    dot *= sign;
    double wa = 1 - f, wb = f;
    if (dot < 0.9995) {
        double angle = acos(dot), sine = sin(angle);
        wa = sin((1 - f) * angle) / sine;
        wb = sin(f * angle) / sine;
    }
    double length = 0;
    for (int i = 0; i < 4; ++i) {
        out[i] = wa * a[i] + wb * sign * b[i];
        length += out[i] * out[i];
    }
    length = sqrt(length);
    for (int i = 0; i < 4; ++i)
        out[i] = length > 0 ? out[i] / length : (i == 3);
}

// A channel's value at time t, as the file defines its interpolation.
void Sample(const GltfChannel& channel, double t, double* out)
{
    int width = channel.path == GLTF_ROTATION ? 4 : 3;
    bool cubic = channel.interpolation == GLTF_CUBICSPLINE;
    size_t stride = cubic ? 3 * width : width, at = cubic ? width : 0;
    const std::vector<float>& times = channel.times;
    const float* v = channel.values.data();
    size_t count = times.size();
    size_t k = std::upper_bound(times.begin(), times.end(), (float)t) - times.begin();
    if (k == 0 || k == count || channel.interpolation == GLTF_STEP || times[k] <= times[k - 1]) {
        size_t key = k == 0 ? 0 : k - 1;
        for (int i = 0; i < width; ++i)
            out[i] = v[key * stride + at + i];
    } else {
        double d = times[k] - times[k - 1], s = (t - times[k - 1]) / d;
        const float* a = v + (k - 1) * stride;
        const float* b = v + k * stride;
        if (cubic) {
            double s2 = s * s, s3 = s2 * s;
            for (int i = 0; i < width; ++i)
                out[i] = (2 * s3 - 3 * s2 + 1) * a[width + i] + (s3 - 2 * s2 + s) * d * a[2 * width + i] +
                         (-2 * s3 + 3 * s2) * b[width + i] + (s3 - s2) * d * b[i];
        } else if (width == 4) {
            double qa[4] = {a[0], a[1], a[2], a[3]}, qb[4] = {b[0], b[1], b[2], b[3]};
            Slerp(qa, qb, s, out);
        } else {
            for (int i = 0; i < width; ++i)
                out[i] = a[i] + (b[i] - a[i]) * s;
        }
    }
    if (width == 4) {
        double length = sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2] + out[3] * out[3]);
        for (int i = 0; i < 4; ++i)
            out[i] = length > 0 ? out[i] / length : (i == 3);
    }
}

// The times at which a bone's keys are taken: every key of its channels and,
// so that the engine's linear keys follow the file, a key just before each
// step and three inside each cubic interval.
std::vector<double> KeyTimes(const std::vector<const GltfChannel*>& channels)
{
    std::vector<double> times;
    for (const GltfChannel* channel : channels) {
        const std::vector<float>& t = channel->times;
        for (size_t k = 0; k < t.size(); ++k) {
            times.push_back(t[k]);
            if (k + 1 == t.size() || t[k + 1] <= t[k])
                continue;
            double d = t[k + 1] - t[k];
            if (channel->interpolation == GLTF_STEP)
                times.push_back(t[k + 1] - std::min(1e-4, d / 2));
            else if (channel->interpolation == GLTF_CUBICSPLINE)
                for (int i = 1; i < 4; ++i)
                    times.push_back(t[k] + d * i / 4);
        }
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

Keyframe MakeKey(double time, const GltfMatrix& prefix, const GltfNode& node, const double* t, const double* r,
                 double rootScale)
{
    GltfMatrix local = GltfMultiply(prefix, GltfCompose(t, r, node.scale));
    Rigid rigid = Decompose(local);
    Keyframe key;
    key.time = (float)time;
    key.translation = EngineVector(rigid.t, 1.0 / rootScale);
    key.rotation = GltfRotationToEngine(rigid.r);
    return key;
}

}  // namespace

HRESULT BuildGltfSkin(const GltfContent& content, const EngineString& file, ModelSkelData* data,
                      GltfSkinResult* result)
{
    auto refuse = [&](const std::string& why) {
        result->error = why;
        return E_FAIL;
    };
    int chosen = -1;
    for (const GltfNode& node : content.nodes)
        if (node.inScene && node.mesh >= 0 && node.skin >= 0) {
            chosen = node.skin;
            break;
        }
    if (chosen < 0)
        return refuse("no node of the scene has a skinned mesh");
    const GltfSkin& skin = content.skins[chosen];
    uint32_t boneCount = (uint32_t)skin.joints.size();
    if (boneCount == 0 || boneCount > 0xFFFF)
        return refuse("skin '" + skin.name + "' has " + std::to_string(boneCount) + " joints");
    if (content.skins.size() > 1)
        result->warnings.push_back("Only skin '" + skin.name + "' is used; " + std::to_string(content.skins.size() - 1) +
                                   " more dropped");

    // Bones: the joints in the skin's order; a bone's parent is its nearest
    // ancestor among them, and the nodes between them fold into a prefix.
    std::vector<int> boneOfNode(content.nodes.size(), -1);
    for (uint32_t b = 0; b < boneCount; ++b)
        boneOfNode[skin.joints[b]] = (int)b;
    std::vector<GltfMatrix> prefixes(boneCount);
    if (!data->bones.Allocate(boneCount))
        return E_OUTOFMEMORY;
    std::vector<Rigid> binds(boneCount), inverses(boneCount);
    for (uint32_t b = 0; b < boneCount; ++b) {
        const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        GltfMatrix prefix;
        std::copy(identity, identity + 16, prefix.m);
        int p = content.nodes[skin.joints[b]].parent;
        for (; p >= 0 && boneOfNode[p] < 0; p = content.nodes[p].parent)
            prefix = GltfMultiply(GltfLocalMatrix(content.nodes[p]), prefix);
        prefixes[b] = prefix;
        data->bones[b].parent = p >= 0 ? boneOfNode[p] : -1;
        binds[b] = Decompose(GltfMultiply(prefix, GltfLocalMatrix(content.nodes[skin.joints[b]])));
        inverses[b] = Decompose(skin.inverseBinds[b]);
    }
    // A skeleton scaled as a whole (an armature node above the joints) keeps
    // that scale in the world matrix, and inverse binds of one uniform scale
    // scale the bind vertices; any other scale is dropped, by name.
    double rootScale = 1.0, bindScale = inverses[0].s[0];
    for (uint32_t b = 0; b < boneCount; ++b)
        if (data->bones[b].parent < 0) {
            rootScale = binds[b].s[0];
            break;
        }
    bool uniform = rootScale > 0 && bindScale > 0;
    for (uint32_t b = 0; b < boneCount && uniform; ++b)
        uniform = UnitScale(binds[b].s, data->bones[b].parent < 0 ? rootScale : 1.0) &&
                  UnitScale(inverses[b].s, bindScale);
    if (!uniform) {
        std::string names;
        for (uint32_t b = 0; b < boneCount; ++b)
            if (!UnitScale(binds[b].s) || !UnitScale(inverses[b].s))
                names += (names.empty() ? "'" : ", '") + content.nodes[skin.joints[b]].name + "'";
        result->warnings.push_back("Joint scales dropped (the skeleton has none): " + names);
        rootScale = bindScale = 1.0;
    }
    result->scale = (float)rootScale;
    for (uint32_t b = 0; b < boneCount; ++b) {
        Bone& bone = data->bones[b];
        bone.translation = EngineVector(binds[b].t, bone.parent < 0 ? 1.0 / rootScale : 1.0);
        bone.rotation = GltfRotationToEngine(binds[b].r);
        bone.boneSpaceTranslation = EngineVector(inverses[b].t);
        bone.boneSpaceRotation = GltfRotationToEngine(inverses[b].r);
    }
    for (uint32_t b = 0; b < boneCount; ++b) {
        int parent = data->bones[b].parent;
        if (parent >= 0) {
            int32_t* child = data->bones[parent].children.Append();
            if (!child)
                return E_OUTOFMEMORY;
            *child = (int32_t)b;
        }
    }
    uint32_t rootCount = 0;
    for (uint32_t b = 0; b < boneCount; ++b)
        rootCount += data->bones[b].parent < 0;
    if (!data->roots.Allocate(rootCount))
        return E_OUTOFMEMORY;
    for (uint32_t b = 0, r = 0; b < boneCount; ++b)
        if (data->bones[b].parent < 0)
            data->roots[r++] = (int32_t)b;

    // Materials: the file's, then a default one.
    uint32_t fileMaterials = (uint32_t)content.materials.size();
    if (!data->materials.Allocate(fileMaterials + 1))
        return E_OUTOFMEMORY;
    for (uint32_t m = 0; m <= fileMaterials; ++m) {
        SkelMaterial& material = data->materials[m];
        const float grey[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        const float* colour = m < fileMaterials ? content.materials[m].baseColor : grey;
        material.material.Diffuse = {colour[0], colour[1], colour[2], colour[3]};
        material.material.Ambient = material.material.Diffuse;
        int image = m < fileMaterials ? content.materials[m].image : -1;
        if (image >= 0 && content.images[image].bytes.empty()) {
            material.hasTexture = true;
            material.textureName = FindBeside(content.images[image].uri.c_str(), file);
        }
    }

    // The skinned meshes, one submesh per primitive.
    EngineArray<Cal3DSubmesh> submeshes;
    uint64_t vertexTotal = 0;
    bool staticMeshes = false;
    for (const GltfNode& node : content.nodes) {
        if (!node.inScene || node.mesh < 0)
            continue;
        if (node.skin != chosen) {
            staticMeshes = true;
            continue;
        }
        for (const GltfPrimitive& primitive : content.meshes[node.mesh].primitives) {
            uint32_t count = (uint32_t)(primitive.positions.size() / 3);
            vertexTotal += count;
            if (vertexTotal > 0xFFFF)
                return refuse("Too many vertices for 16-bit indices : more than 65535");
            Cal3DSubmesh* submesh = submeshes.Append();
            if (!submesh || !submesh->vertices.Allocate(count) ||
                !submesh->indices.Allocate((uint32_t)primitive.indices.size()))
                return E_OUTOFMEMORY;
            submesh->material = primitive.material < 0 ? (int32_t)fileMaterials : primitive.material;
            std::vector<D3DXVECTOR3> positions(count), normals(count);
            std::vector<Influence> influences;
            for (uint32_t v = 0; v < count; ++v) {
                double p[3] = {primitive.positions[3 * v], primitive.positions[3 * v + 1], primitive.positions[3 * v + 2]};
                SkelVector e = EngineVector(p, bindScale);
                positions[v] = D3DXVECTOR3(e.x, e.y, e.z);
                if (!primitive.normals.empty()) {
                    double n[3] = {primitive.normals[3 * v], primitive.normals[3 * v + 1], primitive.normals[3 * v + 2]};
                    SkelVector en = EngineVector(n);
                    normals[v] = D3DXVECTOR3(en.x, en.y, en.z);
                }
                SkinVertex& vertex = submesh->vertices[v];
                vertex.position = e;
                if (!primitive.texCoords.empty())
                    vertex.u = primitive.texCoords[2 * v], vertex.v = primitive.texCoords[2 * v + 1];
                vertex.firstInfluence = (uint32_t)influences.size();
                float sum = 0;
                for (int i = 0; i < 4 && !primitive.joints.empty(); ++i) {
                    uint16_t joint = primitive.joints[4 * v + i];
                    float weight = primitive.weights[4 * v + i];
                    if (weight <= 0)
                        continue;
                    if (joint >= boneCount)
                        return refuse("a vertex names joint " + std::to_string(joint) + " of skin '" + skin.name +
                                      "', which has " + std::to_string(boneCount));
                    influences.push_back(Influence{joint, weight});
                    vertex.influenceCount++;
                    sum += weight;
                }
                if (vertex.influenceCount == 0) {
                    // Unweighted: carried by the first joint rather than left at the origin.
                    influences.push_back(Influence{0, 1.0f});
                    vertex.influenceCount = 1;
                    sum = 1;
                }
                for (uint32_t i = 0; i < vertex.influenceCount; ++i)
                    influences[vertex.firstInfluence + i].weight /= sum;
            }
            if (!submesh->influences.Allocate((uint32_t)influences.size()))
                return E_OUTOFMEMORY;
            std::copy(influences.begin(), influences.end(), submesh->influences.Data());
            std::vector<uint32_t> local(primitive.indices.begin(), primitive.indices.end());
            for (size_t i = 0; i < local.size(); ++i)
                submesh->indices[(uint32_t)i] = local[i];
            if (primitive.normals.empty())
                GltfFaceNormals(positions.data(), local.data(), (uint32_t)local.size(), 0, count, normals.data());
            for (uint32_t v = 0; v < count; ++v)
                submesh->vertices[v].normal = SkelVector{normals[v].x, normals[v].y, normals[v].z};
        }
    }
    if (staticMeshes)
        result->warnings.push_back("Meshes without the skin are not drawn with a skinned model");
    if (submeshes.IsEmpty())
        return refuse("no skinned mesh");

    // Animations: per bone, keys at the union of its channels' times.
    if (!data->animations.Allocate((uint32_t)content.animations.size()))
        return E_OUTOFMEMORY;
    bool scaleDropped = false;
    for (size_t a = 0; a < content.animations.size(); ++a) {
        const GltfAnimation& source = content.animations[a];
        Animation& animation = data->animations[(uint32_t)a];
        animation.name = source.name.c_str();
        std::vector<Keyframe> keys;
        std::vector<Track> tracks;
        for (const GltfChannel& channel : source.channels)
            animation.duration = std::max(animation.duration, channel.times.back());
        for (uint32_t b = 0; b < boneCount; ++b) {
            std::vector<const GltfChannel*> channels;
            const GltfChannel *translation = nullptr, *rotation = nullptr;
            for (const GltfChannel& channel : source.channels) {
                if (channel.node != skin.joints[b])
                    continue;
                if (channel.path == GLTF_SCALE) {
                    scaleDropped = true;
                    continue;
                }
                channels.push_back(&channel);
                (channel.path == GLTF_TRANSLATION ? translation : rotation) = &channel;
            }
            if (channels.empty())
                continue;
            const GltfNode& node = content.nodes[skin.joints[b]];
            Track track{(int32_t)b, (int32_t)keys.size(), 0};
            for (double time : KeyTimes(channels)) {
                double t[3], r[4];
                std::copy(node.translation, node.translation + 3, t);
                std::copy(node.rotation, node.rotation + 4, r);
                if (translation)
                    Sample(*translation, time, t);
                if (rotation)
                    Sample(*rotation, time, r);
                keys.push_back(MakeKey(time, prefixes[b], node, t, r, data->bones[b].parent < 0 ? rootScale : 1.0));
                track.keyCount++;
            }
            tracks.push_back(track);
        }
        if (!animation.keys.Allocate((uint32_t)keys.size()) || !animation.tracks.Allocate((uint32_t)tracks.size()))
            return E_OUTOFMEMORY;
        std::copy(keys.begin(), keys.end(), animation.keys.Data());
        std::copy(tracks.begin(), tracks.end(), animation.tracks.Data());
    }
    if (scaleDropped)
        result->warnings.push_back("Scale channels of joints dropped (the skeleton has no scale)");

    GroupSubmeshesByMaterial(submeshes, data->materials);
    uint64_t influenceCount = 0, indexCount = 0;
    for (uint32_t s = 0; s < submeshes.Count(); ++s) {
        influenceCount += submeshes[s].influences.Count();
        indexCount += submeshes[s].indices.Count();
    }
    if (!data->indices.Allocate((uint32_t)indexCount) || !data->vertices.Allocate((uint32_t)vertexTotal) ||
        !data->influences.Allocate((uint32_t)influenceCount))
        return E_OUTOFMEMORY;
    PackSubmeshes(submeshes, data->vertices.Data(), data->influences.Data(), data->indices.Data());
    data->meshCount = 0;
    for (const GltfNode& node : content.nodes)
        data->meshCount += node.inScene && node.mesh >= 0 && node.skin == chosen;
    data->submeshCount = submeshes.Count();
    return S_OK;
}
