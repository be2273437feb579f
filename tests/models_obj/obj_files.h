// The OBJ suite's files: the writer's models saved under a folder of the
// test's own, and small OBJ texts written as they are.
#pragma once

#include "objwriter.h"

#include "support/test_file_name.h"

#include <gtest/gtest.h>

#include <string>

// A folder named after the running test, under the suite's working folder.
inline std::string TestFolder()
{
    return "obj_" + TestFileName();
}

// Saves `model` into TestFolder() (or its subfolder `sub`) and returns its
// OBJ file's path.
inline std::string SaveModel(const objwriter::Model& model, const std::string& sub = "")
{
    std::string folder = sub.empty() ? TestFolder() : TestFolder() + "/" + sub;
    EXPECT_TRUE(objwriter::Save(model, folder)) << folder;
    return folder + "/" + model.objName;
}

// An OBJ file holding `text` and nothing beside it.
inline std::string SaveText(const std::string& text, const std::string& name = "model.obj")
{
    return SaveModel(objwriter::Model{name, text, {}});
}
