// tinygltf as every part of the project builds it: no image decoding or
// encoding of its own (stb_image is the platform's, and images reach the
// engine as bytes), external images kept as their uris. Its one
// implementation is gltflibrary.cpp, in the engine library; the glTF writer
// and the tests use that one too.
#pragma once

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <tiny_gltf.h>
#pragma GCC diagnostic pop

namespace tinygltf {
// Defined by the implementation, not declared by the header: the writer's
// data URIs.
std::string base64_encode(unsigned char const* bytes, unsigned int length);
}  // namespace tinygltf
