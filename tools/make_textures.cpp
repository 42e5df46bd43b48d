// Writes the two texture files the program loads, so that no binary image lives in the
// repository: "tex/tree2.tex", a tree billboard on a transparent background, and
// "tex/norm.bmp", a smooth distortion map that tiles. Both come out the same on every run.
// Usage: make-textures <output folder>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "kr/image/bmp_writer.h"
#include "kr/base/error.h"
#include "kr/math/math_constants.h"
#include "kr/base/random.h"
#include "kr/image/texture.h"
#include "tools/tree_billboard.h"

namespace {

constexpr int kDistSize = 256;

// A sum of a few plane waves whose whole periods fit the side: smooth and seamless.
std::vector<uint8_t> DistortionMap() {
    struct Wave {
        int kx, ky;
        float phase, amplitude;
    };
    // Whole periods per side in both directions keep every wave seamless.
    KR::RandomSeed(2024);
    std::vector<Wave> waves[2];
    for (auto& channel : waves)
        for (int i = 0; i < 6; ++i)
            channel.push_back({KR::RandomInt(-4, 4), KR::RandomInt(1, 4),
                               KR::RandomFloat(0.0f, 2.0f * float(KR::kPi)), 1.0f / float(i + 2)});
    float norm = 0;
    for (const Wave& w : waves[0])
        norm += w.amplitude;

    std::vector<uint8_t> rgb(size_t(kDistSize) * kDistSize * 3);
    for (int y = 0; y < kDistSize; ++y) {
        for (int x = 0; x < kDistSize; ++x) {
            float uv[2] = {0, 0};
            for (int c = 0; c < 2; ++c) {
                for (const Wave& w : waves[c]) {
                    const float a = 2.0f * float(KR::kPi) * float(w.kx * x + w.ky * y) / kDistSize;
                    uv[c] += w.amplitude * std::sin(a + w.phase);
                }
            }
            const float u = uv[0], v = uv[1];
            uint8_t* p = &rgb[(size_t(y) * kDistSize + x) * 3];
            p[0] = uint8_t(std::lround(127.5f + 127.0f * u / norm));
            p[1] = uint8_t(std::lround(127.5f + 127.0f * v / norm));
            p[2] = 255;
        }
    }
    return rgb;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-textures <output folder>\n");
        return 2;
    }
    try {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / "tex";
        std::filesystem::create_directories(folder);
        KR::Texture tree;
        MakeTreeBillboard(tree);
        tree.save((folder / "tree2.tex").c_str(), KR::Texture::kTexFileType);
        const std::vector<uint8_t> dist = DistortionMap();
        KR::SaveRGB2BMP((folder / "norm.bmp").c_str(), kDistSize, kDistSize, dist.data());
    } catch (const KR::Error& error) {
        std::fprintf(stderr, "make-textures: %s\n", error.FullText().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-textures: %s\n", error.what());
        return 1;
    }
    return 0;
}
