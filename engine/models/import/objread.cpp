#include "models/import/objread.h"

#include "models/import/objmaterials.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <sstream>
#include <unordered_map>

namespace {

const uint32_t MOST_VERTICES = kMostSceneVertices;
const uint32_t MOST_WARNING_LINES = 3;

// One corner of a face: the file's position, normal and texture coordinate
// numbers (from 0; -1 where the corner has none).
struct Corner {
    int position, normal, texCoord;
    bool operator==(const Corner& other) const
    {
        return position == other.position && normal == other.normal && texCoord == other.texCoord;
    }
};

struct CornerHash {
    size_t operator()(const Corner& c) const
    {
        uint64_t key = (uint64_t)(uint32_t)c.position * 0x9E3779B97F4A7C15ull;
        key ^= ((uint64_t)(uint32_t)c.normal + 0x7F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
        key ^= ((uint64_t)(uint32_t)c.texCoord + 0x94D049BBull) * 0x94D049BB133111EBull;
        return (size_t)(key ^ (key >> 31));
    }
};

struct Triangle {
    uint32_t material;
    uint32_t vertices[3];
};

bool AllFinite(const std::vector<tinyobj::real_t>& values, uint32_t stride, uint32_t* first)
{
    for (size_t i = 0; i < values.size(); i++)
        if (!isfinite(values[i])) {
            *first = (uint32_t)(i / stride) + 1;
            return false;
        }
    return true;
}

void Widen(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum, const D3DXVECTOR3& p)
{
    minimum->x = fminf(minimum->x, p.x);
    minimum->y = fminf(minimum->y, p.y);
    minimum->z = fminf(minimum->z, p.z);
    maximum->x = fmaxf(maximum->x, p.x);
    maximum->y = fmaxf(maximum->y, p.y);
    maximum->z = fmaxf(maximum->z, p.z);
}

D3DXVECTOR3 UnitLength(const D3DXVECTOR3& v)
{
    float length = sqrtf(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? v / length : D3DXVECTOR3(0, 0, 0);
}

// The parser's warnings the loader does not say better itself, cut short.
EngineString OtherWarnings(const std::string& warnings)
{
    EngineString kept;
    uint32_t count = 0, dropped = 0;
    std::istringstream lines(warnings);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line == "." || line.find("not found in .mtl") != std::string::npos ||
            line.find("Failed to load material file") != std::string::npos)
            continue;
        if (count++ < MOST_WARNING_LINES)
            kept += (kept.IsEmpty() ? "" : "\n") + EngineString(line.c_str());
        else
            dropped++;
    }
    if (dropped)
        kept += EngineString("\n(") + dropped + " more)";
    return kept;
}

// The first material a "usemtl" line names that no library defines.
EngineString FirstUnknownMaterial(const std::string& text, const std::vector<tinyobj::material_t>& materials)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t last = line.find_last_not_of(" \t\r");
        if (last == std::string::npos)
            continue;
        line.resize(last + 1);
        size_t start = line.find_first_not_of(" \t");
        if (line.compare(start, 6, "usemtl") != 0 || line.size() < start + 8 ||
            (line[start + 6] != ' ' && line[start + 6] != '\t'))
            continue;
        std::string name = line.substr(start + 7);
        bool known = false;
        for (const tinyobj::material_t& material : materials)
            known = known || material.name == name;
        if (!known)
            return name.c_str();
    }
    return EngineString();
}

// Two parser extensions the engine does not use, made comments so they are
// never parsed: skin weights ("vw"), whose joint numbers the parser turns
// into int without a range check (undefined past int's range), and
// subdivision tags ("t"), for each of which the parser makes up to 8192
// numbers and strings and copies them into every shape: a small file could
// ask for gigabytes.
void SkipUnusedExtensions(std::string& text)
{
    size_t line = 0;
    while (line < text.size()) {
        size_t token = text.find_first_not_of(" \t", line);
        if (token != std::string::npos) {
            size_t keyword = token;
            while (keyword < text.size() && keyword - token < 3 && text[keyword] != ' ' && text[keyword] != '\t' &&
                   text[keyword] != '\r' && text[keyword] != '\n')
                keyword++;
            bool blank = keyword < text.size() && (text[keyword] == ' ' || text[keyword] == '\t');
            std::string name = text.substr(token, keyword - token);
            if (blank && (name == "vw" || name == "t"))
                text[token] = '#';
        }
        size_t end = text.find_first_of("\r\n", line);
        if (end == std::string::npos)
            break;
        line = end + 1;
    }
}

struct ObjRead {
    ObjRead(const EngineString& path, SceneArrays* out, ObjReadNotes* notes) : path(path), out(out), notes(notes) {}

    const EngineString& path;
    SceneArrays* out;
    ObjReadNotes* notes;
    std::string text;
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    ObjMaterialLibraries libraries{path};
    bool carryTexCoords = false;
    std::vector<Corner> vertices;  // the distinct corners, in first-use order
    std::vector<Triangle> triangles;

    HRESULT Fail(ObjProblem problem, const EngineString& detail = EngineString())
    {
        notes->problem = problem;
        notes->detail = detail;
        return E_FAIL;
    }
    HRESULT Fail(SceneFault fault, HRESULT code = E_FAIL)
    {
        out->fault = fault;
        notes->problem = ObjProblem::SceneFault;
        return code;
    }

    HRESULT Parse();
    HRESULT CheckNumbers();
    HRESULT MakeMaterials();
    HRESULT MakeTriangles();
    HRESULT FillArrays();
    bool ValidCorner(const tinyobj::index_t& index) const;
};

HRESULT ObjRead::Parse()
{
    if (!ReadWholeFile(path, text))
        return Fail(ObjProblem::NotFound);
    SkipUnusedExtensions(text);
    std::istringstream stream(text);
    std::string warnings, errors;
    // Polygons stay whole: the parser's own splitting skips faces with a
    // corner it cannot place, silently for triangles.
    bool parsed = tinyobj::LoadObj(&attrib, &shapes, &materials, &warnings, &errors, &stream, &libraries, false,
                                   false);
    notes->shapeCount = (uint32_t)shapes.size();
    notes->fileVertexCount = (uint32_t)(attrib.vertices.size() / 3);
    notes->missingLibrary = libraries.firstMissing;
    notes->parserWarnings = OtherWarnings(warnings);
    if (!parsed) {
        std::string first = errors.substr(0, errors.find('\n'));
        return Fail(ObjProblem::Parse, first.c_str());
    }
    if (notes->missingLibrary.IsEmpty())
        notes->missingMaterial = FirstUnknownMaterial(text, materials);
    return S_OK;
}

HRESULT ObjRead::CheckNumbers()
{
    uint32_t first = 0;
    if (!AllFinite(attrib.vertices, 3, &first))
        return Fail(ObjProblem::NotFinite, EngineString("position ") + first);
    if (!AllFinite(attrib.normals, 3, &first))
        return Fail(ObjProblem::NotFinite, EngineString("normal ") + first);
    if (!AllFinite(attrib.texcoords, 2, &first))
        return Fail(ObjProblem::NotFinite, EngineString("texture coordinate ") + first);
    return S_OK;
}

HRESULT ObjRead::MakeMaterials()
{
    uint32_t fileCount = (uint32_t)materials.size();
    bool needDefault = fileCount == 0;
    for (const tinyobj::shape_t& shape : shapes)
        for (int id : shape.mesh.material_ids)
            needDefault = needDefault || id < 0 || (uint32_t)id >= fileCount;
    uint32_t count = fileCount + (needDefault ? 1 : 0);
    out->materials = new (std::nothrow) SceneMaterial[count]();
    if (!out->materials)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    out->materialCount = count;

    bool anyMap = false;
    for (uint32_t j = 0; j < count; j++) {
        SceneMaterial& to = out->materials[j];
        const tinyobj::material_t* from = j < fileCount ? &materials[j] : nullptr;
        ObjMaterialGiven given = from && j < libraries.given.size() ? libraries.given[j] : ObjMaterialGiven();
        snprintf(to.name, sizeof to.name, "%s", from ? from->name.c_str() : kSceneDefaultMaterial);
        D3DMATERIAL9& m = to.material;
        m.Diffuse = given.diffuse ? D3DCOLORVALUE{from->diffuse[0], from->diffuse[1], from->diffuse[2], 1.0f}
                                  : D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f};
        // Without its own ambient colour a material shows its diffuse one
        // where only the ambient light reaches.
        m.Ambient = given.ambient ? D3DCOLORVALUE{from->ambient[0], from->ambient[1], from->ambient[2], 1.0f}
                                  : m.Diffuse;
        m.Specular = given.specular ? D3DCOLORVALUE{from->specular[0], from->specular[1], from->specular[2], 1.0f}
                                    : D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
        m.Power = given.power ? from->shininess : 0.0f;
        if (!from || from->diffuse_texname.empty())
            continue;
        std::string map = from->diffuse_texname;
        for (char& c : map)
            if (c == '\\')
                c = '/';
        if (map.size() > SCENE_MAP_NAME_LENGTH) {
            if (notes->longMap.IsEmpty())
                notes->longMap = map.c_str();
            continue;
        }
        snprintf(to.textureMap, sizeof to.textureMap, "%s", map.c_str());
        anyMap = true;
    }
    if (anyMap && attrib.texcoords.empty()) {
        // Every texel lookup would land on one corner of the map: draw
        // those materials in their colours instead.
        for (uint32_t j = 0; j < count; j++) {
            if (notes->uncoordinatedMap.IsEmpty() && out->materials[j].textureMap[0])
                notes->uncoordinatedMap = out->materials[j].textureMap;
            out->materials[j].textureMap[0] = 0;
        }
        anyMap = false;
    }
    carryTexCoords = anyMap;
    return S_OK;
}

bool ObjRead::ValidCorner(const tinyobj::index_t& index) const
{
    size_t positions = attrib.vertices.size() / 3, normals = attrib.normals.size() / 3;
    size_t texCoords = attrib.texcoords.size() / 2;
    return index.vertex_index >= 0 && (size_t)index.vertex_index < positions && index.normal_index >= -1 &&
           (index.normal_index < 0 || (size_t)index.normal_index < normals) && index.texcoord_index >= -1 &&
           (index.texcoord_index < 0 || (size_t)index.texcoord_index < texCoords);
}

HRESULT ObjRead::MakeTriangles()
{
    std::unordered_map<Corner, uint32_t, CornerHash> made;
    uint32_t defaultMaterial = out->materialCount - 1;
    uint32_t fileMaterials = (uint32_t)materials.size();
    for (const tinyobj::shape_t& shape : shapes) {
        const tinyobj::mesh_t& mesh = shape.mesh;
        snprintf(out->faultMesh, sizeof out->faultMesh, "%s", shape.name.c_str());
        size_t next = 0;
        for (size_t f = 0; f < mesh.num_face_vertices.size(); f++) {
            size_t cornerCount = mesh.num_face_vertices[f];
            // The parser keeps a polygon's corner count in a byte: a longer
            // one would shift every later face.
            if (next + cornerCount > mesh.indices.size())
                return Fail(ObjProblem::Parse, "a face has more than 255 corners");
            uint32_t firstVertex[3] = {0, 0, 0};
            int id = f < mesh.material_ids.size() ? mesh.material_ids[f] : -1;
            uint32_t material = id >= 0 && (uint32_t)id < fileMaterials ? (uint32_t)id : defaultMaterial;
            for (size_t k = 0; k < cornerCount; k++) {
                const tinyobj::index_t& index = mesh.indices[next + k];
                if (!ValidCorner(index))
                    return Fail(SCENE_FAULT_BAD_CORNER);
                Corner corner{index.vertex_index, index.normal_index, carryTexCoords ? index.texcoord_index : -1};
                auto found = made.find(corner);
                uint32_t vertex;
                if (found != made.end()) {
                    vertex = found->second;
                } else {
                    if (vertices.size() >= MOST_VERTICES)
                        return Fail(SCENE_FAULT_TOO_MANY_VERTICES);
                    vertex = (uint32_t)vertices.size();
                    made.emplace(corner, vertex);
                    vertices.push_back(corner);
                }
                // A fan from the first corner: (0, 1, 2), (0, 2, 3), ...
                if (k < 2) {
                    firstVertex[k] = vertex;
                    continue;
                }
                triangles.push_back(Triangle{material, {firstVertex[0], firstVertex[1], vertex}});
                firstVertex[1] = vertex;
            }
            next += cornerCount;
        }
        if (next != mesh.indices.size())
            return Fail(ObjProblem::Parse, "a face has more than 255 corners");
    }
    out->faultMesh[0] = 0;
    if (triangles.empty())
        return Fail(ObjProblem::NoFaces);
    return S_OK;
}

HRESULT ObjRead::FillArrays()
{
    uint32_t vertexCount = (uint32_t)vertices.size();
    uint64_t indexCount = 3ull * triangles.size();
    if (indexCount > 0xFFFFFFF0ull)
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    out->positions = new (std::nothrow) D3DXVECTOR3[vertexCount];
    out->normals = new (std::nothrow) D3DXVECTOR3[vertexCount]();
    out->indices = new (std::nothrow) uint32_t[indexCount];
    if (carryTexCoords)
        out->texCoords = new (std::nothrow) D3DXVECTOR2[vertexCount]();
    if (!out->positions || !out->normals || !out->indices || (carryTexCoords && !out->texCoords))
        return Fail(SCENE_FAULT_MEMORY, E_OUTOFMEMORY);
    out->vertexCount = out->fileVertexCount = vertexCount;
    out->meshCount = notes->shapeCount;
    out->faceCount = (uint32_t)triangles.size();

    const std::vector<tinyobj::real_t>& p = attrib.vertices;
    for (uint32_t v = 0; v < vertexCount; v++) {
        size_t at = 3 * (size_t)vertices[v].position;
        out->positions[v] = D3DXVECTOR3(p[at], p[at + 1], -p[at + 2]);
        Widen(&out->boxMin, &out->boxMax, out->positions[v]);
        int t = vertices[v].texCoord;
        if (out->texCoords && t >= 0)
            out->texCoords[v] = D3DXVECTOR2(attrib.texcoords[2 * t], 1.0f - attrib.texcoords[2 * t + 1]);
    }

    // Sorted by material, each material's triangles in file order.
    uint32_t running = 0;
    for (uint32_t j = 0; j < out->materialCount; j++) {
        out->materials[j].startIndex = running;
        for (const Triangle& triangle : triangles) {
            if (triangle.material != j)
                continue;
            for (uint32_t k = 0; k < 3; k++)
                out->indices[running + k] = triangle.vertices[k];
            running += 3;
        }
        out->materials[j].indexCount = running - out->materials[j].startIndex;
    }
    out->indexCount = running;

    ComputeSceneNormals(out->positions, vertexCount, out->indices, out->indexCount, out->normals);
    const std::vector<tinyobj::real_t>& n = attrib.normals;
    for (uint32_t v = 0; v < vertexCount; v++) {
        int given = vertices[v].normal;
        if (given >= 0)
            out->normals[v] = UnitLength(D3DXVECTOR3(n[3 * given], n[3 * given + 1], -n[3 * given + 2]));
    }
    return S_OK;
}

}  // namespace

HRESULT ReadObjArrays(const EngineString& path, SceneArrays* out, ObjReadNotes* notes)
{
    if (!out || !notes)
        return E_INVALIDARG;
    *out = EmptySceneArrays();
    *notes = ObjReadNotes();

    ObjRead read(path, out, notes);
    HRESULT result = read.Parse();
    if (SUCCEEDED(result))
        result = read.CheckNumbers();
    if (SUCCEEDED(result))
        result = read.MakeMaterials();
    if (SUCCEEDED(result))
        result = read.MakeTriangles();
    if (SUCCEEDED(result))
        result = read.FillArrays();
    return result;
}
