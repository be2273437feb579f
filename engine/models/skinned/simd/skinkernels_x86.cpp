// Vector skinning for x86-64: SSE2, which every such processor has, and AVX2
// with FMA, compiled per function and chosen by what the processor reports,
// so the program runs on any x86-64 machine.
//
// Per vertex the bones' matrices are blended by weight (a multiply-add per
// column and influence), then the blended matrix moves the bind position and
// normal once. The normal is divided by its length as the scalar path's
// D3DXVec3Normalize does, so tiny and huge normals come out the same there
// too. (A reciprocal square root estimate reads a denormal squared length
// as 0 and an infinite one as NaN; masks mending that cost a third of the
// kernel's time where we measured, the exact divide nothing measurable.)
// Positions and normals are stored with overlapping unaligned stores, front
// to back, each store's spare lane overwritten by the next one; the last
// vertex is stored exactly so nothing is written past either array.
#include "models/skinned/simd/skinkernels.h"

#include <immintrin.h>

#include <string.h>

#define QL_SPLAT(v, lane) _mm_shuffle_ps((v), (v), _MM_SHUFFLE(lane, lane, lane, lane))

namespace {

// The squared length in every lane, summed in the scalar path's order.
inline __m128 SquaredLength(__m128 normal)
{
    __m128 square = _mm_mul_ps(normal, normal);
    __m128 sum = _mm_add_ps(square, _mm_shuffle_ps(square, square, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_add_ps(sum, _mm_shuffle_ps(sum, sum, _MM_SHUFFLE(1, 0, 3, 2)));
}

// The normal divided by its length; zero for a zero length, as in D3DX.
// An infinite length (the squares overflowed) gives zero by itself, NaN
// stays NaN.
inline __m128 Normalize(__m128 normal)
{
    __m128 sum = SquaredLength(normal);
    __m128 divided = _mm_div_ps(normal, _mm_sqrt_ps(sum));
    return _mm_and_ps(_mm_cmpneq_ps(sum, _mm_setzero_ps()), divided);
}

// Extends the box by a position. The position goes first: minps and maxps
// return their second operand when either is NaN, so a NaN position leaves
// the box as it was, as the scalar path's comparisons do.
inline void ExtendBox(__m128 position, __m128& minimum, __m128& maximum)
{
    minimum = _mm_min_ps(position, minimum);
    maximum = _mm_max_ps(position, maximum);
}

// Stores vertex i: position and normal to the vertex data, position to the
// kept positions; `last` marks the final vertex, stored without spill.
inline void StoreVertex(__m128 position, __m128 normal, float* out, float* kept, bool last)
{
    if (!last) {
        _mm_storeu_ps(out, position);
        _mm_storeu_ps(out + 3, normal);
        _mm_storeu_ps(kept, position);
        return;
    }
    float lanes[8];
    _mm_storeu_ps(lanes, position);
    _mm_storeu_ps(lanes + 3, normal);
    memcpy(out, lanes, 6 * sizeof(float));
    memcpy(kept, lanes, 3 * sizeof(float));
}

inline void StoreBox(SkinJob& job, __m128 minimum, __m128 maximum)
{
    float lanes[4];
    _mm_storeu_ps(lanes, minimum);
    memcpy(job.minimum, lanes, sizeof job.minimum);
    _mm_storeu_ps(lanes, maximum);
    memcpy(job.maximum, lanes, sizeof job.maximum);
}

void SkinSse2(SkinJob& job)
{
    const SkinStreamVertex* vertex = job.stream->vertices.Data();
    const SkinStreamInfluence* influence = job.stream->influences.Data();
    const uint32_t count = job.stream->vertices.Count();
    __m128 minimum = _mm_set1_ps(1e38f), maximum = _mm_set1_ps(-1e38f);
    float* out = job.vertexData;
    float* kept = job.positions;
    for (uint32_t i = 0; i < count; ++i, ++vertex, out += 6, kept += 3) {
        __m128 c0 = _mm_setzero_ps(), c1 = c0, c2 = c0, c3 = c0;
        for (uint32_t k = vertex->influenceCount; k > 0; --k, ++influence) {
            const float(*column)[4] = job.bones[influence->bone].column;
            __m128 weight = _mm_set1_ps(influence->weight);
            c0 = _mm_add_ps(c0, _mm_mul_ps(weight, _mm_load_ps(column[0])));
            c1 = _mm_add_ps(c1, _mm_mul_ps(weight, _mm_load_ps(column[1])));
            c2 = _mm_add_ps(c2, _mm_mul_ps(weight, _mm_load_ps(column[2])));
            c3 = _mm_add_ps(c3, _mm_mul_ps(weight, _mm_load_ps(column[3])));
        }
        __m128 p = _mm_load_ps(vertex->position);
        __m128 n = _mm_load_ps(vertex->normal);
        __m128 position = _mm_add_ps(_mm_add_ps(_mm_mul_ps(c0, QL_SPLAT(p, 0)), _mm_mul_ps(c1, QL_SPLAT(p, 1))),
                                     _mm_add_ps(_mm_mul_ps(c2, QL_SPLAT(p, 2)), c3));
        __m128 normal = _mm_add_ps(_mm_add_ps(_mm_mul_ps(c0, QL_SPLAT(n, 0)), _mm_mul_ps(c1, QL_SPLAT(n, 1))),
                                   _mm_mul_ps(c2, QL_SPLAT(n, 2)));
        ExtendBox(position, minimum, maximum);
        StoreVertex(position, Normalize(normal), out, kept, i + 1 == count);
    }
    StoreBox(job, minimum, maximum);
}

// Two columns a 256-bit register: (x axis | y axis) and (z axis |
// translation), so a blend step is two fused multiply-adds. The loads are
// unaligned ones: a bone matrix is only 16-byte aligned. Compilers fold
// them into the multiply-adds, which never required alignment.
__attribute__((target("avx2,fma"))) void SkinAvx2Fma(SkinJob& job)
{
    const SkinStreamVertex* vertex = job.stream->vertices.Data();
    const SkinStreamInfluence* influence = job.stream->influences.Data();
    const uint32_t count = job.stream->vertices.Count();
    const __m256i pickXY = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256i pickZ = _mm256_set1_epi32(2);
    const __m256 oneHigh = _mm256_setr_ps(0, 0, 0, 0, 1, 1, 1, 1);
    const __m256 zero = _mm256_setzero_ps();
    __m128 minimum = _mm_set1_ps(1e38f), maximum = _mm_set1_ps(-1e38f);
    float* out = job.vertexData;
    float* kept = job.positions;
    for (uint32_t i = 0; i < count; ++i, ++vertex, out += 6, kept += 3) {
        __m256 xy = zero, zt = zero;
        for (uint32_t k = vertex->influenceCount; k > 0; --k, ++influence) {
            const float* columns = job.bones[influence->bone].column[0];
            __m256 weight = _mm256_broadcast_ss(&influence->weight);
            xy = _mm256_fmadd_ps(weight, _mm256_loadu_ps(columns), xy);
            zt = _mm256_fmadd_ps(weight, _mm256_loadu_ps(columns + 8), zt);
        }
        // Only lanes 0 to 2 are picked, so the undefined upper half is unused.
        __m256 p = _mm256_castps128_ps256(_mm_load_ps(vertex->position));
        __m256 n = _mm256_castps128_ps256(_mm_load_ps(vertex->normal));
        __m256 movedP = _mm256_fmadd_ps(zt, _mm256_blend_ps(_mm256_permutevar8x32_ps(p, pickZ), oneHigh, 0xF0),
                                        _mm256_mul_ps(xy, _mm256_permutevar8x32_ps(p, pickXY)));
        __m256 movedN = _mm256_fmadd_ps(zt, _mm256_blend_ps(_mm256_permutevar8x32_ps(n, pickZ), zero, 0xF0),
                                        _mm256_mul_ps(xy, _mm256_permutevar8x32_ps(n, pickXY)));
        __m128 position = _mm_add_ps(_mm256_castps256_ps128(movedP), _mm256_extractf128_ps(movedP, 1));
        __m128 normal = _mm_add_ps(_mm256_castps256_ps128(movedN), _mm256_extractf128_ps(movedN, 1));

        ExtendBox(position, minimum, maximum);
        StoreVertex(position, Normalize(normal), out, kept, i + 1 == count);
    }
    StoreBox(job, minimum, maximum);
}

bool ProcessorRunsAvx2Fma()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

}  // namespace

SkinKernel VectorSkinKernel(SkinningPath path)
{
    static const bool avx2Fma = ProcessorRunsAvx2Fma();
    switch (path) {
    case SkinningPath::Sse2:
        return SkinSse2;
    case SkinningPath::Avx2Fma:
        return avx2Fma ? SkinAvx2Fma : nullptr;
    default:
        return nullptr;
    }
}
