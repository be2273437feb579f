// Node transforms in the file's frame, in double precision so that deep
// hierarchies do not drift before the one conversion to floats.
#include "models/import/gltfcontent.h"

GltfMatrix GltfMultiply(const GltfMatrix& a, const GltfMatrix& b)
{
    GltfMatrix r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = sum;
        }
    return r;
}

GltfMatrix GltfCompose(const double t[3], const double r[4], const double s[3])
{
    double x = r[0], y = r[1], z = r[2], w = r[3];
    double rot[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                     2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                     2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
    GltfMatrix m;
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row)
            m.m[c * 4 + row] = rot[c * 3 + row] * s[c];
        m.m[c * 4 + 3] = 0;
    }
    m.m[12] = t[0];
    m.m[13] = t[1];
    m.m[14] = t[2];
    m.m[15] = 1;
    return m;
}

GltfMatrix GltfLocalMatrix(const GltfNode& node)
{
    return GltfCompose(node.translation, node.rotation, node.scale);
}

GltfMatrix GltfWorldMatrix(const GltfContent& content, int node)
{
    GltfMatrix world = GltfLocalMatrix(content.nodes[node]);
    // The reader refused cycles, so the walk up ends at a root.
    for (int p = content.nodes[node].parent; p >= 0; p = content.nodes[p].parent)
        world = GltfMultiply(GltfLocalMatrix(content.nodes[p]), world);
    return world;
}
