// quarlight-imagecompare <a.png> <b.png> [difference.png]: prints the share
// of pixels (in percent) whose red, green and blue each differ by at most
// 8/255 between the two images, the differing pixel count and the total.
// The difference image shows differing pixels in red over a dimmed copy of
// the first image. Exit code 0 when both images load and have one size.
#include <stdio.h>
#include <stdlib.h>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

constexpr int tolerance = 8;

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: quarlight-imagecompare <a.png> <b.png> [difference.png]\n");
        return 2;
    }
    int w[2], h[2], channels;
    unsigned char* image[2];
    for (int i = 0; i < 2; ++i) {
        image[i] = stbi_load(argv[1 + i], &w[i], &h[i], &channels, 3);
        if (!image[i]) {
            fprintf(stderr, "quarlight-imagecompare: cannot read %s: %s\n", argv[1 + i], stbi_failure_reason());
            if (i == 1)
                stbi_image_free(image[0]);
            return 2;
        }
    }
    int status = 0;
    if (w[0] != w[1] || h[0] != h[1]) {
        fprintf(stderr, "quarlight-imagecompare: %dx%d against %dx%d\n", w[0], h[0], w[1], h[1]);
        status = 2;
    } else {
        size_t total = (size_t)w[0] * h[0], differing = 0;
        std::vector<unsigned char> difference(total * 3);
        for (size_t p = 0; p < total; ++p) {
            const unsigned char* a = image[0] + p * 3;
            const unsigned char* b = image[1] + p * 3;
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && abs(a[c] - b[c]) <= tolerance;
            differing += same ? 0 : 1;
            unsigned char* d = difference.data() + p * 3;
            d[0] = same ? a[0] / 4 : 255;
            d[1] = same ? a[1] / 4 : 0;
            d[2] = same ? a[2] / 4 : 0;
        }
        printf("%.3f %zu %zu\n", 100.0 * (double)(total - differing) / (double)total, differing, total);
        if (argc == 4 && !stbi_write_png(argv[3], w[0], h[0], 3, difference.data(), w[0] * 3)) {
            fprintf(stderr, "quarlight-imagecompare: cannot write %s\n", argv[3]);
            status = 2;
        }
    }
    stbi_image_free(image[0]);
    stbi_image_free(image[1]);
    return status;
}
