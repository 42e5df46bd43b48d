// The RGBA rescaler used for imported height images.

#include "kr/image/rgba_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Scales a grey image (alpha 255) and answers the grey values; alpha must stay 255.
std::vector<int> Scale(const std::vector<int>& values, int in_w, int in_h, int out_w, int out_h) {
    std::vector<uint8_t> in, out(size_t(out_w) * out_h * 4, 7);
    for (int v : values)
        in.insert(in.end(), {uint8_t(v), uint8_t(v), uint8_t(v), 255});
    KR::ScaleImageRGBA(in.data(), in_w, in_h, out.data(), out_w, out_h);
    std::vector<int> grey;
    for (size_t k = 0; k < out.size(); k += 4) {
        EXPECT_EQ(out[k + 3], 255) << "alpha of pixel " << k / 4;
        grey.push_back(out[k]);
    }
    return grey;
}

TEST(RgbaScale, ShrinksByBoxMeansAndEnlargesByInterpolation) {
    struct Case {
        std::vector<int> in;
        int in_w, in_h, out_w, out_h;
        std::vector<int> out;
    };
    const Case cases[] = {
        {{0, 10, 20, 30, 40, 50}, 3, 2, 3, 2, {0, 10, 20, 30, 40, 50}},
        // Each target the rounded mean of a 2 x 2 block.
        {{0, 1, 100, 200, 1, 1, 100, 201}, 4, 2, 2, 1, {1, 150}},
        // Boxes 1.5 pixels wide: (0 + 0.5 * 90) / 1.5 and (0.5 * 90 + 180) / 1.5.
        {{0, 90, 180}, 3, 1, 2, 1, {30, 150}},
        // The outer targets see only their own edge pixel: nothing wraps in from the far side.
        {{0, 200}, 2, 1, 4, 1, {0, 50, 150, 200}},
        {{0, 200}, 1, 2, 1, 4, {0, 50, 150, 200}},
        // Uniform images stay uniform at any ratio.
        {std::vector<int>(35, 77), 7, 5, 3, 11, std::vector<int>(33, 77)},
        {{77}, 1, 1, 9, 4, std::vector<int>(36, 77)},
        {std::vector<int>(39, 77), 13, 3, 1, 1, {77}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scale(c.in, c.in_w, c.in_h, c.out_w, c.out_h), c.out)
            << c.in_w << "x" << c.in_h << " to " << c.out_w << "x" << c.out_h;
}

}  // namespace
