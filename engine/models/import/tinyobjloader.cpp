// tinyobjloader is header-only: its functions are compiled here, once, on
// every platform the engine builds for.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
