#include "skinning_paths.h"

#include <algorithm>

std::vector<SkinningPath> AvailableSkinningPaths()
{
    std::vector<SkinningPath> paths;
    for (uint32_t p = 0; p < (uint32_t)SkinningPath::Count; ++p)
        if (SkinningPathAvailable((SkinningPath)p))
            paths.push_back((SkinningPath)p);
    return paths;
}

void RunSkinPass(SkinningPath path, const SkinMatrix* bones, const EngineArray<SkinVertex>& vertices,
                 const EngineArray<Influence>& influences, const SkinStream& stream, float* vertexData,
                 float* positions, float minimum[3], float maximum[3])
{
    SkinJob job;
    job.bones = bones;
    job.skinVertices = &vertices;
    job.skinInfluences = &influences;
    job.stream = &stream;
    job.vertexData = vertexData;
    job.positions = positions;
    SkinVerticesOn(path, job);
    std::copy(job.minimum, job.minimum + 3, minimum);
    std::copy(job.maximum, job.maximum + 3, maximum);
}
