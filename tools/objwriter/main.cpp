// objwriter-scene FOLDER: writes the OBJ test scene (scene.obj, scene.mtl,
// maps/stone.tga) into FOLDER and each broken copy into FOLDER/broken/NAME/.
#include "objwriter.h"

#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: objwriter-scene FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    bool written = objwriter::Save(objwriter::TestScene("scene"), folder);
    for (const objwriter::Broken& broken : objwriter::BrokenScenes("scene"))
        written = objwriter::Save(broken.model, folder + "/broken/" + broken.name) && written;
    if (!written) {
        fprintf(stderr, "objwriter-scene: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
