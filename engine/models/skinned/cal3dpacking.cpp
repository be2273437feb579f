#include "models/skinned/cal3dpacking.h"

#include <string.h>

void GroupSubmeshesByMaterial(EngineArray<Cal3DSubmesh>& submeshes,
                              EngineArray<SkelMaterial>& materials)
{
    uint32_t position = 0;
    uint32_t startIndex = 0;
    uint32_t firstVertex = 0;
    for (uint32_t m = 0; m < materials.Count(); ++m) {
        SkelMaterial& material = materials[m];
        material.vertexCount = 0;
        material.indexCount = 0;
        for (uint32_t j = position; j < submeshes.Count(); ++j) {
            if ((uint32_t)submeshes[j].material != m)
                continue;
            if (j != position)
                std::swap(submeshes[j], submeshes[position]);
            material.vertexCount += submeshes[position].vertices.Count();
            material.indexCount += submeshes[position].indices.Count();
            ++position;
        }
        material.startIndex = startIndex;
        material.firstVertex = firstVertex;
        startIndex += material.indexCount;
        firstVertex += material.vertexCount;
    }
}

void PackSubmeshes(const EngineArray<Cal3DSubmesh>& submeshes, SkinVertex* vertices,
                   Influence* influences, uint16_t* indices)
{
    uint32_t vertexBase = 0;
    uint32_t influenceBase = 0;
    for (uint32_t s = 0; s < submeshes.Count(); ++s) {
        const Cal3DSubmesh& submesh = submeshes[s];
        for (uint32_t v = 0; v < submesh.vertices.Count(); ++v) {
            *vertices = submesh.vertices[v];
            vertices->firstInfluence += influenceBase;
            ++vertices;
        }
        if (!submesh.influences.IsEmpty())
            memcpy(influences, submesh.influences.Data(),
                   submesh.influences.Count() * sizeof(Influence));
        influences += submesh.influences.Count();
        for (uint32_t i = 0; i < submesh.indices.Count(); ++i)
            *indices++ = (uint16_t)(submesh.indices[i] + vertexBase);
        vertexBase += submesh.vertices.Count();
        influenceBase += submesh.influences.Count();
    }
}
