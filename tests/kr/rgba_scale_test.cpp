// The RGBA rescaler used for imported height images.

#include "kr/image/rgba_scale.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// An image w x h whose pixels have the given grey values (alpha 255).
std::vector<uint8_t> Grey(const std::vector<int>& values) {
    std::vector<uint8_t> image;
    for (int v : values)
        image.insert(image.end(), {uint8_t(v), uint8_t(v), uint8_t(v), 255});
    return image;
}

std::vector<int> Reds(const std::vector<uint8_t>& image) {
    std::vector<int> reds;
    for (size_t k = 0; k < image.size(); k += 4)
        reds.push_back(image[k]);
    return reds;
}

std::vector<int> Scale(const std::vector<int>& values, int in_w, int in_h, int out_w, int out_h) {
    const std::vector<uint8_t> in = Grey(values);
    std::vector<uint8_t> out(size_t(out_w) * out_h * 4, 7);
    KR::ScaleImageRGBA(in.data(), in_w, in_h, out.data(), out_w, out_h);
    for (size_t k = 3; k < out.size(); k += 4)
        EXPECT_EQ(out[k], 255) << "alpha of pixel " << k / 4;
    return Reds(out);
}

TEST(RgbaScale, SameSizeCopiesAndHalvingAveragesBlocks) {
    const std::vector<int> image = {0, 10, 20, 30, 40, 50};
    EXPECT_EQ(Scale(image, 3, 2, 3, 2), image);
    // 4 x 2 to 2 x 1: each target is the rounded mean of a 2 x 2 block.
    EXPECT_EQ(Scale({0, 1, 100, 200, 1, 1, 100, 201}, 4, 2, 2, 1), (std::vector<int>{1, 150}));
}

TEST(RgbaScale, ShrinkingWeighsPartlyCoveredPixels) {
    // Boxes 1.5 pixels wide: (0 + 0.5 * 90) / 1.5 and (0.5 * 90 + 180) / 1.5.
    EXPECT_EQ(Scale({0, 90, 180}, 3, 1, 2, 1), (std::vector<int>{30, 150}));
}

TEST(RgbaScale, EnlargingInterpolatesAndHoldsTheEdges) {
    // The outer targets see only their own edge pixel: nothing wraps in from the far side.
    EXPECT_EQ(Scale({0, 200}, 2, 1, 4, 1), (std::vector<int>{0, 50, 150, 200}));
    EXPECT_EQ(Scale({0, 200}, 1, 2, 1, 4), (std::vector<int>{0, 50, 150, 200}));
}

TEST(RgbaScale, UniformImagesStayUniformAtAnyRatio) {
    for (auto [w, h, ow, oh] : {std::array{7, 5, 3, 11}, {1, 1, 9, 4}, {13, 3, 1, 1}}) {
        const std::vector<int> out = Scale(std::vector<int>(size_t(w) * h, 77), w, h, ow, oh);
        EXPECT_EQ(out, std::vector<int>(size_t(ow) * oh, 77))
            << w << "x" << h << " to " << ow << "x" << oh;
    }
}

}  // namespace
