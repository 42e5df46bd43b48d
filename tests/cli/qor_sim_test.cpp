#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kr/base/error.h"
#include "kr/image/bmp_writer.h"
#include "kr/image/image_file.h"
#include "sim_options.h"
#include "sim_run.h"
#include "support/test_files.h"
#include "terrain/app_settings.h"
#include "terrain/scene_file.h"
#include "terrain/terrain.h"

namespace {

bool Parse(std::vector<const char*> args, sim_options& options, std::string& error) {
    args.insert(args.begin(), "qor-sim");
    return ParseSimOptions(int(args.size()), const_cast<char**>(args.data()), options, error);
}

TEST(SimOptions, ReadsEveryOptionAndRefusesBadOnes) {
    sim_options o;
    std::string error;
    ASSERT_TRUE(Parse({"--size", "512", "--seed", "2147483647", "--steps", "0", "--threads", "2",
                       "--algorithm", "1", "--config", "c.xml", "--save", "s.qor", "--heights-bmp",
                       "h.bmp", "--depth-bmp", "d.bmp"},
                      o, error))
        << error;
    EXPECT_EQ(o.size, 512);
    EXPECT_EQ(o.seed, 2147483647LL);
    EXPECT_EQ(o.steps, 0);
    EXPECT_EQ(o.threads, 2);
    EXPECT_EQ(o.algorithm, 1);
    EXPECT_EQ(o.config, "c.xml");
    EXPECT_EQ(o.save, "s.qor");
    EXPECT_EQ(o.heights_image, "h.bmp");
    EXPECT_EQ(o.depth_image, "d.bmp");
    ASSERT_TRUE(Parse({"--snapshot", "s.bmp", "--image", "640x480", "--camera", "45,60.5,120",
                       "--frames", "dir", "--every", "3"},
                      o, error))
        << error;
    EXPECT_EQ(o.image_width, 640);
    EXPECT_EQ(o.image_height, 480);
    EXPECT_EQ(o.camera[1], 60.5f);
    EXPECT_EQ(o.camera[2], 120.0f);
    EXPECT_EQ(o.every, 3);
    EXPECT_TRUE(o.image_given);
    sim_options maps;
    ASSERT_TRUE(
        Parse({"--import-heights", "h.R32", "--export-heights", "e.png", "--export-depth", "d.pgm"},
              maps, error))
        << error;
    EXPECT_EQ(maps.import_heights + maps.export_heights + maps.export_depth, "h.R32e.pngd.pgm");

    const std::vector<std::vector<const char*>> bad = {{"--size", "5"},
                                                       {"--size", "2000"},
                                                       {"--size", "12x"},
                                                       {"--steps"},
                                                       {"--threads", "0"},
                                                       {"--algorithm", "4"},
                                                       {"--seed", "-1"},
                                                       {"--save", ""},
                                                       {"--frobnicate"},
                                                       {"--import", "a.bmp", "--algorithm", "2"},
                                                       {"--import", "a.bmp", "--load", "a.qor"},
                                                       {"--image", "800"},
                                                       {"--image", "8x8"},
                                                       {"--image", "800x600x"},
                                                       {"--every", "5"},
                                                       {"--camera", "10,20"},
                                                       {"--camera", "10,20,-1"},
                                                       {"--camera", "1,2,3,4"}};
    std::vector<std::vector<const char*>> all = bad;
    all.insert(all.end(), {{"--export-heights", "h.tif"},
                           {"--import-heights", "h"},
                           {"--import-heights", "h.png", "--load", "a.qor"},
                           {"--import-heights", "h.png", "--import", "a.bmp"},
                           {"--import-heights", "h.png", "--algorithm", "2"}});
    for (const auto& args : all) {
        sim_options fresh;
        error.clear();
        EXPECT_FALSE(Parse(args, fresh, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    sim_options help;
    EXPECT_TRUE(Parse({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(QorSim, ImportBitmapReadsTheImageTheCommandLineNames) {
    // Import Bitmap chosen by the configuration (7 is clamped to 3) with no image to read.
    for (const char* algorithm : {"3", "7"}) {
        const std::string config = QorTest::ScratchFile("import.xml");
        QorTest::WriteBytes(config,
                            std::string("<ini><terrain algorithm=\"") + algorithm + "\"/></ini>");
        sim_options o;
        o.config = config;
        o.steps = 0;
        EXPECT_EQ(RunSim(o), 2) << algorithm;
    }

    // A left-to-right ramp of grey becomes ground rising to the east.
    std::vector<uint8_t> grey(8 * 8);
    for (size_t k = 0; k < grey.size(); ++k)
        grey[k] = static_cast<uint8_t>(k % 8 * 30);
    const std::string image = QorTest::ScratchFile("ramp.bmp");
    KR::SaveGrey2BMP(image.c_str(), 8, 8, grey.data());
    sim_options o;
    o.import = image;
    o.size = 16;
    o.seed = 1;
    o.steps = 0;
    o.threads = 1;
    o.save = QorTest::ScratchFile("imported.qor");
    o.heights_image = QorTest::ScratchFile("heights.bmp");
    ASSERT_EQ(RunSim(o), 0);
    // The heights image is dark in the west, where the ground is low, and bright in the east.
    const KR::RgbaImage drawn = KR::ReadImageFile(o.heights_image.c_str());
    ASSERT_EQ(drawn.width, 16);
    EXPECT_EQ(drawn.pixels[0], 0);
    EXPECT_EQ(drawn.pixels[4 * 15], 255);
    terrain t;
    simulation_settings s;
    display_settings d;
    LoadScene(o.save.c_str(), t, s, d);
    const vertex_2d_field& f = *t.clusters[0].read_field;
    ASSERT_EQ(f.Width() - 2, 16);
    EXPECT_LT(f.GetTerrain(2, 8), f.GetTerrain(15, 8));

    // An image that cannot be read is the file error it is.
    o.import = QorTest::ScratchFile("missing.bmp");
    EXPECT_THROW(RunSim(o), KR::ErrorFile);
}

TEST(QorSim, HeightMapsGoOutAndComeBackWhole) {
    sim_options out;
    out.size = 24;
    out.steps = 0;
    out.threads = 1;
    out.export_heights = QorTest::ScratchFile("made.r32");  // 24 x 24: taken as square
    ASSERT_EQ(RunSim(out), 0);
    sim_options in = out;
    in.import_heights = out.export_heights;
    in.export_heights = QorTest::ScratchFile("back.r32");
    ASSERT_EQ(RunSim(in), 0);
    EXPECT_EQ(QorTest::ReadBytes(in.export_heights), QorTest::ReadBytes(out.export_heights));

    // A file that is not what its name says is the file error it is.
    QorTest::WriteBytes(in.import_heights, "not heights");
    EXPECT_THROW(RunSim(in), KR::ErrorFile);
}

}  // namespace
