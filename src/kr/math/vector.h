#pragma once
// Small float vectors: Vector2 for the grid's plane quantities, Vector4 for points,
// directions, colours and the view state (aligned so it can be loaded as one SSE value).

#include <cmath>

namespace KR {

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    Vector2() = default;
    Vector2(float x, float y) : x(x), y(y) {}

    float Length() const { return std::sqrt(x * x + y * y); }
    Vector2 Normalized() const {
        const float inv = 1.0f / Length();
        return {x * inv, y * inv};
    }
};

inline float Distance(const Vector2& a, const Vector2& b) {
    return Vector2(a.x - b.x, a.y - b.y).Length();
}

struct alignas(16) Vector4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    Vector4() = default;
    Vector4(float x, float y) : x(x), y(y) {}
    Vector4(float x, float y, float z) : x(x), y(y), z(z) {}
    Vector4(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    Vector4 operator+(const Vector4& v) const { return {x + v.x, y + v.y, z + v.z, w + v.w}; }
    Vector4 operator-(const Vector4& v) const { return {x - v.x, y - v.y, z - v.z, w - v.w}; }
    Vector4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    Vector4 operator/(float s) const { return {x / s, y / s, z / s, w / s}; }
    Vector4& operator+=(const Vector4& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        w += v.w;
        return *this;
    }

    float Dot(const Vector4& v) const { return x * v.x + y * v.y + z * v.z + w * v.w; }

    // Points and directions carry w along, so it does not count as a length.
    float Length() const { return std::sqrt(x * x + y * y + z * z); }
    float HorizontalLength() const { return std::sqrt(x * x + y * y); }

    // Scales all four components by 1 / Length().
    Vector4 Normalized() const { return *this * (1.0f / Length()); }

    // Divides by the full four-component length; meant for directions, where w is 0.
    void Normalize() {
        const float len = std::sqrt(x * x + y * y + z * z + w * w);
        x /= len;
        y /= len;
        z /= len;
        w /= len;
    }
};

}  // namespace KR
