// Writes the exporter-style 3DS files, their broken copies and their texture
// into the folder given as argument.
#include "exporterstyle.h"

#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    if (!writer3ds::SaveExporterStyleFiles(argv[1])) {
        fprintf(stderr, "%s: cannot write the files into %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
