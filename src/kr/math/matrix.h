#pragma once
// A 4x4 float matrix in OpenGL's column-major layout (element of row r, column c at 4c + r),
// so it goes to glLoadMatrixf or a uniform and comes back from glGetFloatv unchanged.
// Products are this x other on column vectors: a chain of in-place products applies the
// last factor to a point first, just like the matching chain of glRotatef/glScalef calls.

#include "kr/math/vector.h"

namespace KR {

struct alignas(16) Matrix4x4 {
    float m[16];

    // Starts as the identity rather than garbage, so a forgotten set-up is harmless.
    Matrix4x4();
    // The elements in storage (column-major) order.
    Matrix4x4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7,
              float m8, float m9, float m10, float m11, float m12, float m13, float m14, float m15);

    static Matrix4x4 Identity();
    static Matrix4x4 RotationX(float degrees);
    static Matrix4x4 RotationZ(float degrees);
    static Matrix4x4 Translation(float x, float y, float z);
    static Matrix4x4 Scale(float x, float y, float z);

    float& operator()(int row, int column) { return m[4 * column + row]; }
    float operator()(int row, int column) const { return m[4 * column + row]; }

    Matrix4x4 operator*(const Matrix4x4& other) const;
    Matrix4x4& operator*=(const Matrix4x4& other);

    // this = this x R.
    void RotateX(float degrees);
    void RotateZ(float degrees);
    void ScaleBy(float x, float y, float z);

    // The identity when the determinant is exactly 0.
    Matrix4x4 Inverse() const;
    Matrix4x4 Transpose() const;
    // For normals: the transpose of the inverse.
    Matrix4x4 InverseTranspose() const;

    // M x (x, y, z, 1), without the division by w (clip coordinates stay clip coordinates).
    Vector4 Transform(float x, float y, float z) const;
    Vector4 Row(int r) const { return {m[r], m[r + 4], m[r + 8], m[r + 12]}; }
};

}  // namespace KR
