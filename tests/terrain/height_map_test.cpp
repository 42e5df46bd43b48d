// Height maps: the round trip in each format, resampling, files without a range, bad files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/grey_image.h"
#include "kr/image/image_png.h"
#include "support/test_files.h"
#include "terrain/grid_fixtures.h"
#include "terrain/height_map.h"
#include "terrain/terrain.h"

namespace {

using QorTest::Plane;

constexpr int kColumns = 64, kRows = 48;

class HeightMap : public ::testing::Test {
  protected:
    void SetUp() override {
        heights = QorTest::Landscape(kColumns, kRows, 5, 3.0f, 17.0f);
        // The highest point: the last row's first vertex, the picture's top left.
        heights[size_t(kRows - 1) * kColumns] = 18.0f;
        low = *std::min_element(heights.begin(), heights.end());
        step = (18.0f - low) / 65535.0f;
        t.settings = &s;
        t.BuildFromHeights(heights.data(), kColumns, kRows);
        u.settings = &s;
        std::tie(u.generation.x, u.generation.y) = std::make_pair(kColumns, kRows);
    }

    simulation_settings s;
    terrain t, u;  // exported from, imported into
    std::vector<float> heights;
    float low = 0, step = 0;
};

TEST_F(HeightMap, ExportThenImportGivesBackEveryHeight) {
    for (const std::string name : {"map.png", "map.PGM", "map.r32"}) {
        SCOPED_TRACE(name);
        const std::string file = QorTest::ScratchFile(name);
        const bool raw = name == "map.r32";  // takes its size from the call
        const std::string line = ExportHeightMap(t, height_map_plane::ground, file);
        EXPECT_EQ(line.rfind(file + ": 64 x 48 ground heights, ", 0), 0u) << line;
        ImportHeightMap(u, file, raw ? kColumns : 0, raw ? kRows : 0);
        const std::vector<float> back = Plane(u), water = Plane(u, true), flood = Plane(t, true);
        ASSERT_EQ(back.size(), heights.size());
        for (size_t k = 0; k < back.size(); ++k) {
            ASSERT_NEAR(back[k], heights[k], step) << k;
            ASSERT_NEAR(water[k], flood[k], step) << k;  // flooded as the generation floods
        }
    }
    // The water depths, top row first as the grey bitmaps show them.
    const std::string depth = QorTest::ScratchFile("depth.r32");
    ExportHeightMap(t, height_map_plane::water_depth, depth);
    ImportHeightMap(u, depth, kColumns, kRows);
    EXPECT_EQ(Plane(u), Plane(t, true));
    EXPECT_EQ(KR::ReadPng(QorTest::ScratchFile("map.png").c_str()).pixels[0], 65535);
}

TEST_F(HeightMap, TheClustersOfAScenePlaceThemselvesByTheirStart) {
    terrain two;  // the grid's east half first, then its west half
    two.clusters = std::make_unique<cluster[]>(2);
    two.cluster_count = 2;
    for (int k = 0; k < 2; ++k) {
        const float x = k == 0 ? kColumns / 2 : 0;
        two.clusters[k].SetExtent(KR::Vector2(x, 0), KR::Vector2(x + kColumns / 2, kRows),
                                  kColumns / 2, kRows);
        two.clusters[k].GenerateTerrain(heights.data() + size_t(x), kColumns);
    }
    ExportHeightMap(two, height_map_plane::ground, QorTest::ScratchFile("two.r32"));
    ExportHeightMap(t, height_map_plane::ground, QorTest::ScratchFile("one.r32"));
    EXPECT_EQ(QorTest::ReadBytes(QorTest::ScratchFile("two.r32")),
              QorTest::ReadBytes(QorTest::ScratchFile("one.r32")));
}

TEST_F(HeightMap, OtherSizesAreResampledCornerOnCorner) {
    const std::string file = QorTest::ScratchFile("small.png");
    ExportHeightMap(t, height_map_plane::ground, file);
    u.generation.x = 2 * kColumns - 1;
    u.generation.y = 2 * kRows - 1;
    ImportHeightMap(u, file);
    const std::vector<float> back = Plane(u);
    auto h = [this](int i, int j) { return heights[size_t(j) * kColumns + i]; };
    auto b = [&back](int i, int j) { return back[size_t(j) * (2 * kColumns - 1) + i]; };
    for (int j = 0; j < kRows; ++j)
        for (int i = 0; i + 1 < kColumns; ++i) {
            ASSERT_NEAR(b(2 * i, 2 * j), h(i, j), step) << i << "," << j;
            ASSERT_NEAR(b(2 * i + 1, 2 * j), (h(i, j) + h(i + 1, j)) / 2, step) << i << "," << j;
        }
}

TEST_F(HeightMap, FilesWithoutARangeSpanTheParametersAndBadFilesChangeNothing) {
    // 2 x 2, top row first: the grid's first row is the picture's last.
    const std::string plain = QorTest::ScratchFile("plain.pgm");
    QorTest::WriteBytes(plain, "P2\n2 2\n255\n0 255\n255 0\n");
    std::tie(u.generation.x, u.generation.y, u.generation.min, u.generation.max) =
        std::make_tuple(10, 10, 2.0f, 12.0f);
    ImportHeightMap(u, plain);
    const std::vector<float> corners = Plane(u);
    EXPECT_EQ((std::vector<float>{corners[0], corners[9], corners[90], corners[99]}),
              (std::vector<float>{12.0f, 2.0f, 2.0f, 12.0f}));

    const std::string whole = QorTest::ScratchFile("whole.png");
    ExportHeightMap(t, height_map_plane::ground, whole);
    const std::string truncated = QorTest::ScratchFile("truncated.png");
    QorTest::WriteBytes(truncated, QorTest::ReadBytes(whole).substr(0, 200));
    const std::string odd = QorTest::ScratchFile("odd.r32");
    QorTest::WriteBytes(odd, "12345");
    for (const std::string& bad :
         {truncated, odd, QorTest::ScratchFile("map.tif"), QorTest::ScratchFile("missing.r32")}) {
        EXPECT_THROW(ImportHeightMap(t, bad), KR::ErrorFile) << bad;
        EXPECT_EQ(Plane(t), heights);
    }
    EXPECT_THROW(ExportHeightMap(t, height_map_plane::ground, "heights.tif"), KR::ErrorFile);
    EXPECT_THROW(ExportHeightMap(t, height_map_plane::ground,
                                 QorTest::ScratchDir().string() + "/no/such/folder.png"),
                 KR::ErrorFile);
}

// PIL (python3-pil) sees 16-bit grey over 0 ... 65535, the range in tEXt, the peak top left.
TEST_F(HeightMap, AnotherReaderSeesSixteenBitsAndTheRange) {
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-pil is not installed (scripts/install-deps.sh installs it)";
    const std::string file = QorTest::ScratchFile("pil.png");
    ExportHeightMap(t, height_map_plane::ground, file);
    const std::string script =
        "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "print(im.mode[:1], im.size, im.getextrema(), im.getpixel((0, 0)), "
        "im.text['qor:min'], im.text['qor:max'])";
    FILE* python = popen(("/usr/bin/python3 -c \"" + script + "\" " + file).c_str(), "r");
    ASSERT_NE(python, nullptr);
    char line[256] = "";
    EXPECT_NE(std::fgets(line, sizeof line, python), nullptr);
    EXPECT_EQ(pclose(python), 0);
    EXPECT_EQ(std::string(line), "I (64, 48) (0, 65535) 65535 " + KR::RangeText(low) + " 18\n");
}

}  // namespace
