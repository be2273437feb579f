// stb's image writer, compiled once for the tests that write image files;
// they include <stb_image_write.h> for its declarations. Its own code trips
// warnings we keep on for ours.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop
