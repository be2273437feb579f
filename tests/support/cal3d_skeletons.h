// The three-bone skeleton the Cal3D suites and the fuzz seeds start from: a
// root with two children, which the caller then places.
#pragma once

#include "cal3dwriter.h"

#include <string>

inline cal3d::Skeleton RootWithTwoChildren(const std::string& root, const std::string& first,
                                           const std::string& second)
{
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(3);
    skeleton.bones[0].name = root;
    skeleton.bones[0].children = {1, 2};
    skeleton.bones[1].name = first;
    skeleton.bones[1].parent = 0;
    skeleton.bones[2].name = second;
    skeleton.bones[2].parent = 0;
    return skeleton;
}
