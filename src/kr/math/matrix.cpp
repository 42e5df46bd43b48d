#include "kr/math/matrix.h"

#include <cmath>

#include "kr/math/math_constants.h"

namespace KR {

Matrix4x4::Matrix4x4() : Matrix4x4(Identity()) {}

Matrix4x4::Matrix4x4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7,
                     float m8, float m9, float m10, float m11, float m12, float m13, float m14,
                     float m15)
    : m{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15} {}

Matrix4x4 Matrix4x4::Identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4x4 Matrix4x4::RotationX(float degrees) {
    const float c = std::cos(degrees * kDegToRad);
    const float s = std::sin(degrees * kDegToRad);
    return {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
}

Matrix4x4 Matrix4x4::RotationZ(float degrees) {
    const float c = std::cos(degrees * kDegToRad);
    const float s = std::sin(degrees * kDegToRad);
    return {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4x4 Matrix4x4::Translation(float x, float y, float z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

Matrix4x4 Matrix4x4::Scale(float x, float y, float z) {
    return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
}

Matrix4x4 Matrix4x4::operator*(const Matrix4x4& other) const {
    Matrix4x4 result;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            result.m[4 * c + r] = m[r] * other.m[4 * c] + m[4 + r] * other.m[4 * c + 1] +
                                  m[8 + r] * other.m[4 * c + 2] + m[12 + r] * other.m[4 * c + 3];
        }
    }
    return result;
}

Matrix4x4& Matrix4x4::operator*=(const Matrix4x4& other) {
    *this = *this * other;
    return *this;
}

void Matrix4x4::RotateX(float degrees) {
    *this *= RotationX(degrees);
}

void Matrix4x4::RotateZ(float degrees) {
    *this *= RotationZ(degrees);
}

void Matrix4x4::ScaleBy(float x, float y, float z) {
    *this *= Scale(x, y, z);
}

Matrix4x4 Matrix4x4::Inverse() const {
    // Cramer's rule with shared 2x2 products. s is the transpose of the stored array, which
    // makes the cofactor matrix computed below the already transposed one (the adjugate).
    float s[16];
    for (int i = 0; i < 4; ++i) {
        s[i] = m[4 * i];
        s[i + 4] = m[4 * i + 1];
        s[i + 8] = m[4 * i + 2];
        s[i + 12] = m[4 * i + 3];
    }

    // Pairs of the lower two rows give the cofactors of the upper two.
    float p[12] = {s[10] * s[15], s[11] * s[14], s[9] * s[15], s[11] * s[13],
                   s[9] * s[14],  s[10] * s[13], s[8] * s[15], s[11] * s[12],
                   s[8] * s[14],  s[10] * s[12], s[8] * s[13], s[9] * s[12]};
    Matrix4x4 d;
    d.m[0] = p[0] * s[5] + p[3] * s[6] + p[4] * s[7];
    d.m[0] -= p[1] * s[5] + p[2] * s[6] + p[5] * s[7];
    d.m[1] = p[1] * s[4] + p[6] * s[6] + p[9] * s[7];
    d.m[1] -= p[0] * s[4] + p[7] * s[6] + p[8] * s[7];
    d.m[2] = p[2] * s[4] + p[7] * s[5] + p[10] * s[7];
    d.m[2] -= p[3] * s[4] + p[6] * s[5] + p[11] * s[7];
    d.m[3] = p[5] * s[4] + p[8] * s[5] + p[11] * s[6];
    d.m[3] -= p[4] * s[4] + p[9] * s[5] + p[10] * s[6];
    d.m[4] = p[1] * s[1] + p[2] * s[2] + p[5] * s[3];
    d.m[4] -= p[0] * s[1] + p[3] * s[2] + p[4] * s[3];
    d.m[5] = p[0] * s[0] + p[7] * s[2] + p[8] * s[3];
    d.m[5] -= p[1] * s[0] + p[6] * s[2] + p[9] * s[3];
    d.m[6] = p[3] * s[0] + p[6] * s[1] + p[11] * s[3];
    d.m[6] -= p[2] * s[0] + p[7] * s[1] + p[10] * s[3];
    d.m[7] = p[4] * s[0] + p[9] * s[1] + p[10] * s[2];
    d.m[7] -= p[5] * s[0] + p[8] * s[1] + p[11] * s[2];

    // Pairs of the upper two rows give the cofactors of the lower two.
    p[0] = s[2] * s[7];
    p[1] = s[3] * s[6];
    p[2] = s[1] * s[7];
    p[3] = s[3] * s[5];
    p[4] = s[1] * s[6];
    p[5] = s[2] * s[5];
    p[6] = s[0] * s[7];
    p[7] = s[3] * s[4];
    p[8] = s[0] * s[6];
    p[9] = s[2] * s[4];
    p[10] = s[0] * s[5];
    p[11] = s[1] * s[4];
    d.m[8] = p[0] * s[13] + p[3] * s[14] + p[4] * s[15];
    d.m[8] -= p[1] * s[13] + p[2] * s[14] + p[5] * s[15];
    d.m[9] = p[1] * s[12] + p[6] * s[14] + p[9] * s[15];
    d.m[9] -= p[0] * s[12] + p[7] * s[14] + p[8] * s[15];
    d.m[10] = p[2] * s[12] + p[7] * s[13] + p[10] * s[15];
    d.m[10] -= p[3] * s[12] + p[6] * s[13] + p[11] * s[15];
    d.m[11] = p[5] * s[12] + p[8] * s[13] + p[11] * s[14];
    d.m[11] -= p[4] * s[12] + p[9] * s[13] + p[10] * s[14];
    d.m[12] = p[2] * s[10] + p[5] * s[11] + p[1] * s[9];
    d.m[12] -= p[4] * s[11] + p[0] * s[9] + p[3] * s[10];
    d.m[13] = p[8] * s[11] + p[0] * s[8] + p[7] * s[10];
    d.m[13] -= p[6] * s[10] + p[9] * s[11] + p[1] * s[8];
    d.m[14] = p[6] * s[9] + p[11] * s[11] + p[3] * s[8];
    d.m[14] -= p[10] * s[11] + p[2] * s[8] + p[7] * s[9];
    d.m[15] = p[10] * s[10] + p[4] * s[8] + p[9] * s[9];
    d.m[15] -= p[8] * s[9] + p[11] * s[10] + p[5] * s[8];

    const float det = s[0] * d.m[0] + s[1] * d.m[1] + s[2] * d.m[2] + s[3] * d.m[3];
    // Only an exact zero counts as singular; a NaN determinant divides through.
    if (det == 0.0f) return Identity();
    for (float& e : d.m)
        e /= det;
    return d;
}

Matrix4x4 Matrix4x4::Transpose() const {
    Matrix4x4 t;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            t.m[4 * c + r] = m[4 * r + c];
    }
    return t;
}

Matrix4x4 Matrix4x4::InverseTranspose() const {
    return Inverse().Transpose();
}

Vector4 Matrix4x4::Transform(float x, float y, float z) const {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14], m[3] * x + m[7] * y + m[11] * z + m[15]};
}

}  // namespace KR
