#pragma once
// Test landscapes and scenes, planes of a field, a scripted file dialog, and the comparison of
// the fast grid with the reference model.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "terrain/cluster.h"
#include "terrain/file_name_provider.h"
#include "terrain/reference_model.h"
#include "terrain/terrain.h"

namespace QorTest {

inline uint32_t Hash(uint32_t x) {
    x = (x ^ (x >> 16)) * 0x7feb352dU;
    x = (x ^ (x >> 15)) * 0x846ca68bU;
    return x ^ (x >> 16);
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

// A terrain with settings of its own, built from row-major heights if given.
struct scene {
    simulation_settings s;
    display_settings d;
    terrain t;
    scene() {
        t.settings = &s;
        t.display_options = &d;
    }
    scene(int columns, int rows, const std::vector<float>& heights) : scene() {
        t.BuildFromHeights(heights.data(), columns, rows);
    }
    scene(int columns, int rows, float level)
        : scene(columns, rows, std::vector<float>(size_t(columns) * rows, level)) {}
};

// The ground (or the water) of a field, row-major without the ring.
inline std::vector<float> Plane(const vertex_2d_field& f, bool water = false) {
    std::vector<float> values;
    for (int y = 1; y < f.Height() - 1; ++y)
        for (int x = 1; x < f.Width() - 1; ++x)
            values.push_back(water ? f.GetWater(x, y) : f.GetTerrain(x, y));
    return values;
}

inline std::vector<float> Plane(const terrain& t, bool water = false) {
    return Plane(*t.clusters[0].read_field, water);
}

inline double TotalWater(const vertex_2d_field& f) {
    const std::vector<float> water = Plane(f, true);
    return std::accumulate(water.begin(), water.end(), 0.0);
}

inline bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Answers file dialogs from a script (an empty answer cancels) and remembers what was asked.
struct ScriptedNames : file_name_provider {
    bool Ask(const file_request& request, std::string& file_name) override {
        asked.push_back(request);
        offered = file_name;
        if (answer.empty()) return false;
        file_name = answer;
        return true;
    }
    std::vector<file_request> asked;
    std::string offered, answer;
};

// The planes compared: the write field's flows are written by the next step before anything
// reads them, so after a hand-over only its ground and water count.
enum class compared { ground_and_water, flows, outflow };

// Compares every grid point of a fast field with a reference field; reports the first
// difference.
inline void ExpectSameField(const vertex_2d_field& fast, reference::vertex_2d_field& ref,
                            const char* what, compared planes) {
    ASSERT_EQ(fast.Width(), ref.width);
    ASSERT_EQ(fast.Height(), ref.height);
    for (int y = 1; y < ref.height - 1; ++y)
        for (int x = 1; x < ref.width - 1; ++x) {
            const auto& v = *static_cast<reference::cluster_vertex*>(ref.Get(x, y));
            std::vector<float> a{fast.GetTerrain(x, y), fast.GetWater(x, y)}, b{v.terrain, v.water};
            for (int i = 0; i < 8 && planes != compared::ground_and_water; ++i)
                a.push_back(fast.GetFlow(x, y, i)), b.push_back(v.flow[i]);
            if (planes == compared::outflow)
                a.push_back(fast.GetOutflow(x, y)), b.push_back(v.outflow);
            ASSERT_TRUE(SameBits(a, b)) << what << " at " << x << "," << y << ": terrain, water, "
                                        << "flows, outflow " << ::testing::PrintToString(a)
                                        << " vs " << ::testing::PrintToString(b);
        }
}

inline void ExpectSameBuffers(const cluster& fast, const reference::cluster& ref) {
    const std::vector<float>& a = fast.vertex_data;
    const std::vector<float>& b = ref.buffers.vertex_data;
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(std::bit_cast<uint32_t>(a[i]), std::bit_cast<uint32_t>(b[i]))
            << "draw float " << i << ": " << a[i] << " vs " << b[i];
}

}  // namespace QorTest
