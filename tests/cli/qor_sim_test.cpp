#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (size_t at = 0, end = 0; end != std::string::npos; at = end + 1)
        parts.push_back(text.substr(at, (end = text.find(separator, at)) - at));
    return parts;
}

// One command line, its arguments separated by blanks ("--save " names an empty file).
bool Parse(const std::string& line, sim_options& options, std::string& error) {
    std::vector<std::string> words = Split("qor-sim " + line, ' ');
    std::vector<char*> args;
    for (std::string& word : words)
        args.push_back(word.data());
    return ParseSimOptions(int(args.size()), args.data(), options, error);
}

// The options of a command line that must be taken.
sim_options Options(const std::string& line) {
    sim_options o;
    std::string error;
    EXPECT_TRUE(Parse(line, o, error)) << line << ": " << error;
    return o;
}

TEST(SimOptions, ReadsEveryOptionAndRefusesBadOnes) {
    const sim_options o = Options(
        "--size 512 --seed 2147483647 --steps 0 --threads 2 --algorithm 1 --config c.xml "
        "--save s.qor --heights-bmp h.bmp --depth-bmp d.bmp");
    EXPECT_EQ(std::tie(o.size, o.seed, o.steps, o.threads, o.algorithm),
              std::make_tuple(512, 2147483647LL, 0, 2, 1));
    EXPECT_EQ(o.config + o.save + o.heights_image + o.depth_image, "c.xmls.qorh.bmpd.bmp");
    const sim_options drawn =
        Options("--snapshot s.bmp --image 640x480 --camera 45,60.5,120 --frames dir --every 3");
    EXPECT_EQ(std::tie(drawn.image_width, drawn.image_height, drawn.camera[1], drawn.camera[2],
                       drawn.every, drawn.image_given),
              std::make_tuple(640, 480, 60.5f, 120.0f, 3, true));
    const sim_options maps =
        Options("--import-heights h.R32 --export-heights e.png --export-depth d.pgm");
    EXPECT_EQ(maps.import_heights + maps.export_heights + maps.export_depth, "h.R32e.pngd.pgm");

    for (const std::string& bad :
         Split("--size 5|--size 2000|--size 12x|--steps|--threads 0|--algorithm 4|--seed -1|"
               "--save |--frobnicate|--import a.bmp --algorithm 2|--import a.bmp --load a.qor|"
               "--image 800|--image 8x8|--image 800x600x|--every 5|--camera 10,20|"
               "--camera 10,20,-1|--camera 1,2,3,4|--export-heights h.tif|--import-heights h|"
               "--import-heights h.png --load a.qor|--import-heights h.png --import a.bmp|"
               "--import-heights h.png --algorithm 2",
               '|')) {
        sim_options fresh;
        std::string error;
        EXPECT_FALSE(Parse(bad, fresh, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(Options("--help").help);
}

TEST(QorSim, ImportBitmapReadsTheImageTheCommandLineNames) {
    // Import Bitmap chosen by the configuration (7 is clamped to 3) with no image to read.
    for (const char* algorithm : {"3", "7"}) {
        const std::string config = QorTest::ScratchFile("import.xml");
        QorTest::WriteBytes(config,
                            std::string("<ini><terrain algorithm=\"") + algorithm + "\"/></ini>");
        sim_options o = Options("--config " + config + " --steps 0");
        EXPECT_EQ(RunSim(o), 2) << algorithm;
    }

    // A left-to-right ramp of grey becomes ground rising to the east.
    std::vector<uint8_t> grey(8 * 8);
    for (size_t k = 0; k < grey.size(); ++k)
        grey[k] = static_cast<uint8_t>(k % 8 * 30);
    const std::string image = QorTest::ScratchFile("ramp.bmp");
    KR::SaveGrey2BMP(image.c_str(), 8, 8, grey.data());
    sim_options o =
        Options("--import " + image + " --size 16 --seed 1 --steps 0 --threads 1 --save " +
                QorTest::ScratchFile("imported.qor") + " --heights-bmp " +
                QorTest::ScratchFile("heights.bmp"));
    ASSERT_EQ(RunSim(o), 0);
    // The heights image is dark in the west, where the ground is low, and bright in the east.
    const KR::RgbaImage drawn = KR::ReadImageFile(o.heights_image.c_str());
    ASSERT_EQ(drawn.width, 16);
    EXPECT_EQ(std::make_pair(int(drawn.pixels[0]), int(drawn.pixels[4 * 15])),
              std::make_pair(0, 255));
    terrain t;
    simulation_settings s;
    display_settings d;
    LoadScene(o.save.c_str(), t, s, d);
    const vertex_2d_field& f = *t.clusters[0].read_field;
    ASSERT_EQ(f.Width() - 2, 16);
    EXPECT_LT(f.GetTerrain(2, 8), f.GetTerrain(15, 8));

    o.import = QorTest::ScratchFile("missing.bmp");
    EXPECT_THROW(RunSim(o), KR::ErrorFile);
}

TEST(QorSim, HeightMapsGoOutAndComeBackWhole) {
    // 24 x 24: the .r32 is taken as square.
    sim_options out = Options("--size 24 --steps 0 --threads 1 --export-heights " +
                              QorTest::ScratchFile("made.r32"));
    ASSERT_EQ(RunSim(out), 0);
    sim_options in = out;
    in.import_heights = out.export_heights;
    in.export_heights = QorTest::ScratchFile("back.r32");
    ASSERT_EQ(RunSim(in), 0);
    EXPECT_EQ(QorTest::ReadBytes(in.export_heights), QorTest::ReadBytes(out.export_heights));

    QorTest::WriteBytes(in.import_heights, "not heights");
    EXPECT_THROW(RunSim(in), KR::ErrorFile);
}

}  // namespace
