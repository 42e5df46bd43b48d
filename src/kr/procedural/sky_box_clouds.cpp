#include <algorithm>
#include <cmath>

#include "kr/noise/improved_noise.h"
#include "kr/noise/perlin_noise_3d.h"
#include "kr/procedural/procedural_rows.h"
#include "kr/procedural/procedural_textures.h"

namespace KR {

namespace {

struct Vec3 {
    float x, y, z;
    Vec3 operator+(const Vec3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    Vec3 operator-(const Vec3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vec3 operator/(float s) const { return {x / s, y / s, z / s}; }
};

Vec3 Normalized(const Vec3& v) {
    return v / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The point of bordered sample (i, j) of a face on the cube of side 1.
Vec3 SamplePoint(uint32_t face, float u, float v) {
    switch (face) {
        case 0:
            return {0.5f, v, u};
        case 1:
            return {-0.5f, v, -u};
        case 2:
            return {u, -0.5f, -v};
        case 3:
            return {u, 0.5f, v};
        case 4:
            return {u, v, -0.5f};
        default:
            return {-u, v, 0.5f};
    }
}

// A pixel's position on the cube and its steps to the next pixel along x and y.
struct PixelFrame {
    Vec3 p, a1, a2;
};

PixelFrame ShadingFrame(uint32_t face, float u, float v, float s) {
    switch (face) {
        case 0:
            return {{-0.5f, -v, -u}, {0, 0, -s}, {0, -s, 0}};
        case 1:
            return {{0.5f, -v, u}, {0, 0, s}, {0, -s, 0}};
        case 2:
            return {{-u, 0.5f, v}, {-s, 0, 0}, {0, 0, s}};
        case 3:
            return {{-u, -0.5f, -v}, {-s, 0, 0}, {0, 0, -s}};
        case 4:
            return {{-u, -v, 0.5f}, {-s, 0, 0}, {0, -s, 0}};
        default:
            return {{u, -v, -0.5f}, {s, 0, 0}, {0, -s, 0}};
    }
}

}  // namespace

void SkyBoxCloudPair(const PerlinNoise3D& n1, const PerlinNoise3D& n3, float x, float y, float z,
                     float& v1, float& v3) {
    // Mirrors PerlinNoise3D::Get for improved noise, with both sums fed by one evaluation.
    const float px = x * n1.scale_x + n1.offset_x;
    const float py = y * n1.scale_y + n1.offset_y;
    const float pz = z * n1.scale_z + n1.offset_z;
    float sum1 = 0.0f, sum3 = 0.0f, frequency = 1.0f, amp1 = 1.0f, amp3 = 1.0f;
    for (uint32_t i = 0; i < n1.octaves; ++i) {
        const float v =
            static_cast<float>(ImprovedNoise(px * frequency, py * frequency, pz * frequency));
        // Every combination is linear in the amplitude, so the shaped value is shared.
        const float shaped = Combine(n1.combination, v, 1.0f);
        sum1 += shaped * amp1;
        sum3 += shaped * amp3;
        frequency *= 2.0f;
        amp1 *= n1.amplitude_ratio;
        amp3 *= n3.amplitude_ratio;
    }
    v1 = sum1;
    v3 = sum3;
}

ProceduralImage CreateSkyBoxClouds(uint32_t n, float clouds, float turbulence, bool verbose,
                                   unsigned threads) {
    const char* place = "KR::CreateSkyBoxClouds";
    ProceduralImage image = AllocateImage(place, n, n, 6);
    const uint32_t side = n + 2;  // the samples carry a border ring for the shading
    const size_t face_samples = size_t(side) * side;
    std::unique_ptr<float[]> samples = AllocateFloats(place, uint64_t(face_samples) * 6 * 2);

    PerlinNoise3D n1, n2, n3;
    n1.SetOffset();
    n1.SetParams(6, 1.5f, 0);
    n1.SetNoiseType(PerlinNoise3D::kImproved, 2);
    n3.CopyFrom(n1);
    n3.SetPersistence(3.0f);
    n2.SetOffset();
    n2.SetParams(2, 1.5f, 0);
    n2.SetNoiseType(PerlinNoise3D::kImproved, 0);

    // n = 1 has no step between pixels; one unit keeps the grid finite.
    const float span = n > 1 ? float(n - 1) : 1.0f;
    ForEachRow(6 * side, threads, verbose ? side : 0, [&](uint32_t row) {
        const uint32_t face = row / side, j = row % side;
        const float v = (float(j) - 1.0f) / span - 0.5f;
        float* out = &samples[(face * face_samples + size_t(j) * side) * 2];
        for (uint32_t i = 0; i < side; ++i) {
            const Vec3 d0 = Normalized(SamplePoint(face, (float(i) - 1.0f) / span - 0.5f, v));
            const Vec3 q = d0 / 2.0f;
            const Vec3 w{n2.Get(q.x + 10, q.y + 10, q.z + 10), n2.Get(q.y + 10, q.z + 10, q.x + 10),
                         n2.Get(q.z + 10, q.x + 10, q.y + 10)};
            const float s = n2.Get(d0.x + 10, d0.y + 10, d0.z + 10);
            const Vec3 d = (d0 + w * s * turbulence) * 5.0f;
            float a, b;
            SkyBoxCloudPair(n1, n3, d.x + 10, d.y + 10, d.z + 10, a, b);
            out[i * 2] = a + s;
            out[i * 2 + 1] = b + s;
        }
    });

    const size_t count = face_samples * 6;
    float mn[2] = {0.0f, 0.0f}, mx[2] = {0.0f, 0.0f};
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 2; ++c) {
            mn[c] = std::min(mn[c], samples[i * 2 + c]);
            mx[c] = std::max(mx[c], samples[i * 2 + c]);
        }
    }
    const float top = 2.0f * std::clamp(clouds, 0.0f, 1.0f);
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 2; ++c) {
            float& value = samples[i * 2 + c];
            // All-zero samples leave no range to spread; they sit at the top.
            value = mx[c] > mn[c] ? (value - mx[c]) * 2.0f / (mx[c] - mn[c]) + top : top;
        }
    }

    const float step = 1.0f / span;
    ForEachRow(6 * n, threads, 0, [&](uint32_t row) {
        const uint32_t face = row / n, y = row % n;
        const float* grid = &samples[face * face_samples * 2];
        auto height = [&](uint32_t i, uint32_t j) {
            const float* sample = &grid[(size_t(j) * side + i) * 2];
            return sample[0] * 2.0f / float(n) + 1.0f + sample[1] * 50.0f / float(n);
        };
        for (uint32_t x = 0; x < n; ++x) {
            const PixelFrame f =
                ShadingFrame(face, float(x) / span - 0.5f, float(y) / span - 0.5f, step);
            const Vec3 c = Normalized(f.p) * height(x + 1, y + 1);
            const Vec3 e1 = Normalized(f.p + f.a1) * height(x + 2, y + 1) - c;
            const Vec3 e2 = Normalized(f.p - f.a1) * height(x, y + 1) - c;
            const Vec3 e3 = Normalized(f.p + f.a2) * height(x + 1, y + 2) - c;
            const Vec3 e4 = Normalized(f.p - f.a2) * height(x + 1, y) - c;
            const Vec3 normal = Normalized(Normalized(Cross(e3, e1)) + Normalized(Cross(e2, e3)) +
                                           Normalized(Cross(e4, e2)) + Normalized(Cross(e1, e4)));
            const float density = grid[(size_t(y + 1) * side + x + 1) * 2];
            PutTexel(&image.data[((size_t(face) * n + y) * n + x) * 4],
                     ToByte((normal.x / 2.0f + 0.5f) * 255.0f),
                     ToByte((normal.y / 2.0f + 0.5f) * 255.0f),
                     ToByte((normal.z / 2.0f + 0.5f) * 255.0f),
                     ToByte(std::clamp(density, 0.0f, 1.0f) * 255.0f));
        }
    });
    return image;
}

}  // namespace KR
