#pragma once
// Deterministic test landscapes and helpers to compare the fast grid with the reference.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "terrain/cluster.h"
#include "terrain/reference_model.h"

namespace grid_test {

inline uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Rough ground between low and high: smooth hills plus steep random steps, so that there is
// deep water, dry land and ground steep enough to slide.
inline std::vector<float> Landscape(int columns, int rows, uint32_t seed, float low = 0.0f,
                                    float high = 20.0f) {
    std::vector<float> h(size_t(columns) * rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const float hills =
                0.5f + 0.25f * std::sin(c * 0.31f + seed) + 0.25f * std::cos(r * 0.23f);
            const float noise =
                float(Hash(seed * 7919u + uint32_t(r * columns + c)) % 1000) / 1000.0f;
            h[size_t(r) * columns + c] = low + (high - low) * (0.7f * hills + 0.3f * noise);
        }
    return h;
}

inline bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Compares every interior value of a fast field with a reference field; reports the first
// difference of each kind.
// The planes compared: the write field's flows are written by the next step before anything
// reads them, so after a hand-over only its ground and water count.
enum class compared { ground_and_water, flows, outflow };

inline void ExpectSameField(const vertex_2d_field& fast, reference::vertex_2d_field& ref,
                            const char* what, compared planes = compared::flows) {
    ASSERT_EQ(fast.Width(), ref.width);
    ASSERT_EQ(fast.Height(), ref.height);
    for (int y = 1; y < ref.height - 1; ++y)
        for (int x = 1; x < ref.width - 1; ++x) {
            auto* v = static_cast<reference::cluster_vertex*>(ref.Get(x, y));
            ASSERT_TRUE(SameBits(fast.GetTerrain(x, y), v->terrain))
                << what << " terrain at " << x << "," << y << ": " << fast.GetTerrain(x, y)
                << " vs " << v->terrain;
            ASSERT_TRUE(SameBits(fast.GetWater(x, y), v->water))
                << what << " water at " << x << "," << y << ": " << fast.GetWater(x, y) << " vs "
                << v->water;
            if (planes == compared::ground_and_water) continue;
            for (int i = 0; i < 8; ++i)
                ASSERT_TRUE(SameBits(fast.GetFlow(x, y, i), v->flow[i]))
                    << what << " flow " << i << " at " << x << "," << y << ": "
                    << fast.GetFlow(x, y, i) << " vs " << v->flow[i];
            if (planes == compared::outflow) {
                ASSERT_TRUE(SameBits(fast.GetOutflow(x, y), v->outflow))
                    << what << " outflow at " << x << "," << y;
            }
        }
}

inline void ExpectSameBuffers(const cluster& fast, const reference::cluster& ref) {
    const std::vector<float>& a = fast.vertex_data;
    const std::vector<float>& b = ref.buffers.vertex_data;
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_TRUE(SameBits(a[i], b[i])) << "draw float " << i << ": " << a[i] << " vs " << b[i];
}

}  // namespace grid_test
