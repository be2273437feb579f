// The one implementation of tinygltf (gltflibrary.h says how it is built).
#define TINYGLTF_IMPLEMENTATION
#include "models/import/gltflibrary.h"
