#include "skinning_paths.h"

std::vector<SkinningPath> AvailableSkinningPaths()
{
    std::vector<SkinningPath> paths;
    for (uint32_t p = 0; p < (uint32_t)SkinningPath::Count; ++p)
        if (SkinningPathAvailable((SkinningPath)p))
            paths.push_back((SkinningPath)p);
    return paths;
}
