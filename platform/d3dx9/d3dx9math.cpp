// D3DX matrix, vector and quaternion functions: row vectors, left-handed,
// the formulas the SDK documents. Results are computed into a local first so
// that an out pointer may alias an input.
#include <d3dx9math.h>

namespace {

// Each of the N components of v (x first, the rest after it) over length.
// A zero vector stays zero rather than turning into NaNs that would spread
// through every later product.
template <int N, typename Vector>
Vector* DivideByLength(Vector* out, const Vector& v, FLOAT length)
{
    Vector r = v;
    FLOAT* c = &r.x;
    for (int i = 0; i < N; ++i)
        c[i] = length == 0.0f ? 0.0f : c[i] / length;
    *out = r;
    return out;
}

}  // namespace

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV)
{
    return DivideByLength<3>(pOut, *pV, D3DXVec3Length(pV));
}

D3DXVECTOR4* WINAPI D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV)
{
    return DivideByLength<4>(pOut, *pV, D3DXVec4Length(pV));
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM)
{
    const D3DXMATRIX& m = *pM;
    D3DXVECTOR4 v = *pV;
    *pOut = D3DXVECTOR4(v.x * m._11 + v.y * m._21 + v.z * m._31 + v.w * m._41,
                        v.x * m._12 + v.y * m._22 + v.z * m._32 + v.w * m._42,
                        v.x * m._13 + v.y * m._23 + v.z * m._33 + v.w * m._43,
                        v.x * m._14 + v.y * m._24 + v.z * m._34 + v.w * m._44);
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM)
{
    D3DXVECTOR4 v(pV->x, pV->y, pV->z, 1.0f);
    return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM)
{
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, pV, pM);
    FLOAT inv = r.w != 0.0f ? 1.0f / r.w : 0.0f;
    *pOut = D3DXVECTOR3(r.x * inv, r.y * inv, r.z * inv);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM)
{
    const D3DXMATRIX& m = *pM;
    D3DXVECTOR3 v = *pV;
    *pOut = D3DXVECTOR3(v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
                        v.x * m._13 + v.y * m._23 + v.z * m._33);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] + pM1->m[i][2] * pM2->m[2][j] +
                        pM1->m[i][3] * pM2->m[3][j];
    *pOut = r;
    return pOut;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat)
{
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const
{
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &mat);
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != mat.m[i][j])
                return false;
    return true;
}

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = pM->m[j][i];
    *pOut = r;
    return pOut;
}

namespace {

// The determinant of the 3 x 3 minor of the row-major 4 x 4 matrix a
// without row r and column c, expanded along the minor's first column with
// its products in a fixed order, so that every cofactor rounds alike.
float Minor(const float* a, int r, int c)
{
    int rows[3], cols[3];
    for (int i = 0, n = 0, m = 0; i < 4; ++i) {
        if (i != r)
            rows[n++] = i;
        if (i != c)
            cols[m++] = i;
    }
    auto at = [a, &rows, &cols](int i, int j) { return a[4 * rows[i] + cols[j]]; };
    return at(0, 0) * at(1, 1) * at(2, 2) - at(0, 0) * at(1, 2) * at(2, 1) - at(1, 0) * at(0, 1) * at(2, 2) +
           at(1, 0) * at(0, 2) * at(2, 1) + at(2, 0) * at(0, 1) * at(1, 2) - at(2, 0) * at(0, 2) * at(1, 1);
}

// The 16 cofactors of m, transposed (the adjugate), and the determinant.
FLOAT Adjugate(const D3DXMATRIX& m, D3DXMATRIX* adj)
{
    const float* a = &m._11;
    float inv[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            inv[4 * i + j] = ((i + j) & 1 ? -1.0f : 1.0f) * Minor(a, j, i);
    if (adj)
        for (int i = 0; i < 16; ++i)
            (&adj->_11)[i] = inv[i];
    return a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
}

}  // namespace

FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* pM)
{
    return Adjugate(*pM, nullptr);
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM)
{
    D3DXMATRIX adj;
    FLOAT det = Adjugate(*pM, &adj);
    if (pDeterminant)
        *pDeterminant = det;
    if (det == 0.0f)
        return nullptr;
    FLOAT inv = 1.0f / det;
    for (int i = 0; i < 16; ++i)
        (&pOut->_11)[i] = (&adj._11)[i] * inv;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz)
{
    *pOut = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z)
{
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT angle)
{
    FLOAT c = cosf(angle), s = sinf(angle);
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT angle)
{
    FLOAT c = cosf(angle), s = sinf(angle);
    *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT angle)
{
    FLOAT c = cosf(angle), s = sinf(angle);
    *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, FLOAT angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, pV);
    FLOAT c = cosf(angle), s = sinf(angle), t = 1.0f - c;
    FLOAT x = n.x, y = n.y, z = n.z;
    *pOut = D3DXMATRIX(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,
                       t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,
                       t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,
                       0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ)
{
    FLOAT x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
    *pOut = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                       2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                       2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                       0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll)
{
    // Roll about z first, then pitch about x, then yaw about y.
    D3DXMATRIX r, p, y;
    D3DXMatrixRotationZ(&r, roll);
    D3DXMatrixRotationX(&p, pitch);
    D3DXMatrixRotationY(&y, yaw);
    *pOut = r * p * y;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                                      const D3DXVECTOR3* pUp)
{
    D3DXVECTOR3 zaxis = *pAt - *pEye, xaxis, yaxis;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVec3Cross(&xaxis, pUp, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                       xaxis.y, yaxis.y, zaxis.y, 0,
                       xaxis.z, yaxis.z, zaxis.z, 0,
                       -D3DXVec3Dot(&xaxis, pEye), -D3DXVec3Dot(&yaxis, pEye), -D3DXVec3Dot(&zaxis, pEye), 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf)
{
    FLOAT ys = 1.0f / tanf(fovy / 2.0f);
    FLOAT xs = ys / aspect;
    FLOAT q = zf / (zf - zn);
    *pOut = D3DXMATRIX(xs, 0, 0, 0, 0, ys, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* pOut, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf)
{
    *pOut = D3DXMATRIX(2 / w, 0, 0, 0, 0, 2 / h, 0, 0, 0, 0, 1 / (zf - zn), 0, 0, 0, zn / (zn - zf), 1);
    return pOut;
}

D3DXQUATERNION* WINAPI D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                              const D3DXQUATERNION* pQ2)
{
    // Hamilton product a·b with a = q2, b = q1.
    const D3DXQUATERNION a = *pQ2, b = *pQ1;
    *pOut = D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                           a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                           a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                           a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
    return pOut;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const
{
    D3DXQUATERNION r;
    D3DXQuaternionMultiply(&r, this, &q);
    return r;
}

D3DXQUATERNION* WINAPI D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ)
{
    return DivideByLength<4>(pOut, *pQ, D3DXQuaternionLength(pQ));
}

D3DXQUATERNION* WINAPI D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ)
{
    FLOAT norm = D3DXQuaternionDot(pQ, pQ);
    if (norm == 0.0f) {
        *pOut = D3DXQUATERNION(0, 0, 0, 0);
        return pOut;
    }
    *pOut = D3DXQUATERNION(-pQ->x / norm, -pQ->y / norm, -pQ->z / norm, pQ->w / norm);
    return pOut;
}

D3DXQUATERNION* WINAPI D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                           const D3DXQUATERNION* pQ2, FLOAT t)
{
    D3DXQUATERNION a = *pQ1, b = *pQ2;
    FLOAT dot = D3DXQuaternionDot(&a, &b);
    if (dot < 0.0f) {
        // q and -q are the same rotation: take the shorter way round.
        b = D3DXQUATERNION(-b.x, -b.y, -b.z, -b.w);
        dot = -dot;
    }
    FLOAT wa = 1.0f - t, wb = t;
    if (dot < 0.9999f) {
        // Far enough apart for the sine ratio to be well conditioned.
        FLOAT theta = acosf(dot);
        FLOAT sinTheta = sinf(theta);
        wa = sinf((1.0f - t) * theta) / sinTheta;
        wb = sinf(t * theta) / sinTheta;
    }
    *pOut = D3DXQUATERNION(wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w);
    return pOut;
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, FLOAT angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, pV);
    FLOAT s = sinf(angle / 2.0f);
    *pOut = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, cosf(angle / 2.0f));
    return pOut;
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM)
{
    const D3DXMATRIX& m = *pM;
    FLOAT trace = m._11 + m._22 + m._33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        FLOAT s = sqrtf(trace + 1.0f) * 2.0f;
        q = D3DXQUATERNION((m._23 - m._32) / s, (m._31 - m._13) / s, (m._12 - m._21) / s, 0.25f * s);
    } else if (m._11 > m._22 && m._11 > m._33) {
        FLOAT s = sqrtf(1.0f + m._11 - m._22 - m._33) * 2.0f;
        q = D3DXQUATERNION(0.25f * s, (m._12 + m._21) / s, (m._13 + m._31) / s, (m._23 - m._32) / s);
    } else if (m._22 > m._33) {
        FLOAT s = sqrtf(1.0f + m._22 - m._11 - m._33) * 2.0f;
        q = D3DXQUATERNION((m._12 + m._21) / s, 0.25f * s, (m._23 + m._32) / s, (m._31 - m._13) / s);
    } else {
        FLOAT s = sqrtf(1.0f + m._33 - m._11 - m._22) * 2.0f;
        q = D3DXQUATERNION((m._13 + m._31) / s, (m._23 + m._32) / s, 0.25f * s, (m._12 - m._21) / s);
    }
    *pOut = q;
    return pOut;
}
