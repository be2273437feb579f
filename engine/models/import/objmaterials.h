// The material libraries of an OBJ file, read through tinyobjloader from
// beside the file, with what each material actually gives: the parser fills
// a colour it was not given with black, which is not what an author who left
// it out meant.
#pragma once

#include "foundation/enginestring.h"

#include <tiny_obj_loader.h>

#include <string>
#include <vector>

// Which of a material's colours and powers its library sets.
struct ObjMaterialGiven {
    bool ambient = false;   // Ka
    bool diffuse = false;   // Kd
    bool specular = false;  // Ks
    bool power = false;     // Ns
};

// Which lines of a library's text set what, per material, in the order the
// parser makes its materials (a material is made at each named "newmtl"
// after the first and once at the end of the text).
std::vector<ObjMaterialGiven> ScanMaterialsGiven(const std::string& text);

// Reads each library the OBJ file names from beside `objPath` (its folder,
// then the folders above, as textures are found) and keeps, per material
// the parser made, what its library gave.
class ObjMaterialLibraries : public tinyobj::MaterialReader {
public:
    explicit ObjMaterialLibraries(const EngineString& objPath) : objPath(objPath) {}
    bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                    std::map<std::string, int>* names, std::string* warn, std::string* err) override;

    std::vector<ObjMaterialGiven> given;  // one per material made so far
    EngineString firstMissing;            // the first library that did not open

private:
    EngineString objPath;
};

// The whole of a file, as long as it was when opened; false when it does not
// open or read. A device reads as empty.
bool ReadWholeFile(const EngineString& path, std::string& text);
