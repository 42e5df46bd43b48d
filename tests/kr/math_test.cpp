#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "kr/math/matrix.h"
#include "kr/math/vector.h"

namespace {

using KR::Matrix4x4;
using KR::Vector4;

void ExpectNear(const Vector4& v, float x, float y, float z, float w) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
    EXPECT_NEAR(v.w, w, 1e-6f);
}

Matrix4x4 RandomMatrix(std::mt19937& gen) {
    std::uniform_real_distribution<float> d(-2.0f, 2.0f);
    Matrix4x4 a;
    for (float& e : a.m)
        e = d(gen);
    return a;
}

TEST(Vector, LengthsAndNormalisationLeaveWOutWhereTheyShould) {
    static_assert(alignof(Vector4) == 16 && sizeof(Vector4) == 16);
    ExpectNear(Vector4(1.0f, 2.0f), 1, 2, 0, 0);  // built from fewer components: w is 0, not 1

    const Vector4 v(3.0f, 4.0f, 0.0f, 5.0f);
    EXPECT_EQ(v.Length(), 5.0f);
    EXPECT_EQ(v.HorizontalLength(), 5.0f);
    ExpectNear(v.Normalized(), 0.6f, 0.8f, 0.0f, 1.0f);

    Vector4 dir(0.0f, 3.0f, 4.0f, 0.0f);
    dir.Normalize();
    ExpectNear(dir, 0.0f, 0.6f, 0.8f, 0.0f);
    Vector4 with_w(0.0f, 0.0f, 3.0f, 4.0f);
    with_w.Normalize();  // in place, w takes part
    ExpectNear(with_w, 0.0f, 0.0f, 0.6f, 0.8f);

    EXPECT_EQ(Vector4(1, 2, 3, 4).Dot(Vector4(5, 6, 7, 8)), 70.0f);  // w counts here

    const KR::Vector2 a(1.0f, 1.0f), b(4.0f, 5.0f);
    EXPECT_EQ(KR::Distance(a, b), 5.0f);
    EXPECT_NEAR(KR::Vector2(6.0f, 8.0f).Normalized().x, 0.6f, 1e-7f);
    EXPECT_NEAR(KR::Vector2(6.0f, 8.0f).Normalized().y, 0.8f, 1e-7f);
}

TEST(Matrix, LayoutAndTransformsFollowOpenGL) {
    static_assert(alignof(Matrix4x4) == 16 && sizeof(Matrix4x4) == 64);

    const Matrix4x4 t = Matrix4x4::Translation(1, 2, 3);
    ExpectNear(t.Transpose().Row(3), 1, 2, 3, 1);  // elements 12 to 15
    const Matrix4x4 stored(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    EXPECT_EQ(stored(1, 2), 9.0f);  // row 1, column 2 is element 4 * 2 + 1
    ExpectNear(stored.Row(1), 1, 5, 9, 13);
    ExpectNear(stored.Transpose().Row(1), 4, 5, 6, 7);
    EXPECT_EQ(0, std::memcmp(Matrix4x4().m, Matrix4x4::Identity().m, sizeof(float) * 16));

    ExpectNear(Matrix4x4::RotationZ(90).Transform(1, 0, 0), 0, 1, 0, 1);
    ExpectNear(Matrix4x4::RotationX(90).Transform(0, 1, 0), 0, 0, 1, 1);
    ExpectNear((t * Matrix4x4::RotationZ(90)).Transform(1, 0, 0), 1, 3, 3, 1);
    ExpectNear(Matrix4x4::Scale(2, 3, 4).Transform(1, 1, 1), 2, 3, 4, 1);

    // In-place forms are exactly the products with the factor on the right.
    Matrix4x4 chain = t;
    chain.RotateX(30);
    chain.RotateZ(-75);
    chain.ScaleBy(2, 0.5f, 3);
    const Matrix4x4 product =
        t * Matrix4x4::RotationX(30) * Matrix4x4::RotationZ(-75) * Matrix4x4::Scale(2, 0.5f, 3);
    EXPECT_EQ(0, std::memcmp(chain.m, product.m, sizeof(float) * 16));

    // A perspective projection leaves w as the distance in front of the eye, undivided.
    const Matrix4x4 projection(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.2f, -1, 0, 0, -2.2f, 0);
    const Vector4 clip = projection.Transform(1, 2, -10);
    EXPECT_EQ(clip.w, 10.0f);
    EXPECT_EQ(clip.x, 1.0f);
}

TEST(Matrix, InverseUndoesTheMatrixAndFallsBackOnlyForExactZero) {
    std::mt19937 gen(12345);
    for (int n = 0; n < 200; ++n) {
        const Matrix4x4 a = RandomMatrix(gen);
        const Matrix4x4 inv = a.Inverse();
        const Matrix4x4 left = inv * a, right = a * inv;
        float det_scale = 0.0f;  // skip nearly singular draws, where the check loses meaning
        for (float e : inv.m)
            det_scale = std::fmax(det_scale, std::fabs(e));
        if (det_scale > 50.0f) continue;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_NEAR(left(r, c), r == c ? 1.0f : 0.0f, 1e-3f) << n;
                EXPECT_NEAR(right(r, c), r == c ? 1.0f : 0.0f, 1e-3f) << n;
            }
        }
        EXPECT_EQ(0, std::memcmp(a.InverseTranspose().m, inv.Transpose().m, sizeof(float) * 16));
    }

    // An affine matrix: the inverse sends the moved point back.
    Matrix4x4 placed = Matrix4x4::Translation(5, -3, 2);
    placed.RotateZ(40);
    placed.ScaleBy(2, 2, 2);
    ExpectNear(placed.Inverse().Transform(5, -3, 2), 0, 0, 0, 1);

    Matrix4x4 singular = Matrix4x4::Identity();
    singular.m[5] = 0.0f;  // a zero row: determinant exactly 0
    EXPECT_EQ(0, std::memcmp(singular.Inverse().m, Matrix4x4::Identity().m, sizeof(float) * 16));

    Matrix4x4 broken = Matrix4x4::Identity();
    broken.m[0] = NAN;
    EXPECT_TRUE(std::isnan(broken.Inverse().m[5]));  // divides through, no identity
}

}  // namespace
