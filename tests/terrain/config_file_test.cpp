// The configuration file: every group read, the clamps, and bad files.

#include "terrain/config_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "kr/base/console.h"
#include "kr/base/error.h"
#include "support/test_files.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"
#include "terrain/terrain_generation_info.h"

namespace {

class ConfigFile : public ::testing::Test {
  protected:
    void SetUp() override { KR::console.SetStream(&log); }
    void TearDown() override { KR::console.SetStream(&std::cout); }

    void Load(const std::string& text) {
        file = QorTest::ScratchFile("config.xml");
        QorTest::WriteBytes(file, text);
        LoadConfig(file.c_str(), targets);
    }

    std::ostringstream log;
    simulation_settings s;
    display_settings d;
    program_settings p;
    texture_settings tex;
    terrain_generation_info gen;
    config_targets targets{s, d, p, tex, gen};
    std::string file;
};

TEST_F(ConfigFile, EveryGroupIsReadWithItsClampsAtBothEnds) {
    Load(
        "<?xml version=\"1.0\"?>\n<INI>\n"
        "<program multithreading=\"0\" mode=\"7\" camera_controll=\"-1\" auto_rotate=\"1\" "
        "aquarium=\"1\" timescale=\"0.5\" randomness=\"0.25\" stop_rain=\"1\" stop_erosion=\"0\" "
        "stop_water=\"1\" stop_water_shader=\"1\" show_box=\"1\" show_terrain=\"0\" "
        "show_water=\"0\" show_sky=\"0\" show_vegetation=\"1\" show_shadows=\"1\" "
        "tex_shadow_size=\"2048\" />\n"
        "<terrain x=\"12.9\" y=\"300\" max=\"10\" min=\"30\" detail=\"50\" smooth=\"3\" "
        "type=\"2\" algorithm=\"1\" />\n"
        "<postproc enable=\"1\" />\n"
        "<skybox size=\"512\" clouds=\"0.1\" turbulence=\"0.2\" stars=\"0.3\" />\n"
        "<WATER Size=\"64\" frames=\"32\" />\n</INI>\n");
    EXPECT_EQ(std::tie(p.multithreading, s.mode, d.camera_controll), std::make_tuple(0, 3, 0));
    EXPECT_EQ(std::tie(s.auto_rotate, s.aquarium, s.stop_rain, s.stop_erosion, s.stop_water,
                       s.stop_water_shader, s.timescale, s.randomness),
              std::make_tuple(1, 1, 1, 0, 1, 1, 0.5f, 0.25f));
    EXPECT_EQ(std::tie(d.show_box, d.show_terrain, d.show_water, d.show_sky, d.show_vegetation,
                       d.show_shadows, d.tex_shadow_size, d.postproc_enable),
              std::make_tuple(1, 0, 0, 0, 1, 1, 2048, 1));
    // x stops at the point; min may not exceed max.
    EXPECT_EQ(
        std::tie(gen.x, gen.y, gen.min, gen.max, gen.detail, gen.smooth, gen.type, gen.algorithm),
        std::make_tuple(12, 300, 0.0f, 10.0f, 50, 3, 2, 1));
    EXPECT_EQ(std::tie(tex.skybox_size, tex.skybox_clouds, tex.skybox_turbulence, tex.skybox_stars,
                       tex.water_size, tex.water_frames),
              std::make_tuple(512, 0.1f, 0.2f, 0.3f, 64, 32));
    EXPECT_EQ(log.str(), "");
    Load(R"(<ini><program mode="-1" camera_controll="3" /></ini>)");  // the other ends
    EXPECT_EQ(std::tie(s.mode, d.camera_controll), std::make_tuple(0, 2));
}

TEST_F(ConfigFile, MissingGroupsKeepDefaultsAndAreNotValidated) {
    gen.x = 5000;  // out of range, but with no terrain group nothing checks it again
    Load("<ini><water frames=\"8\" /></ini>");
    EXPECT_EQ(std::tie(gen.x, tex.water_frames, tex.water_size, s.stop_erosion),
              std::make_tuple(5000, 8, 128, 1));
}

TEST_F(ConfigFile, BadFilesChangeNothingAndNonNumbersStopTheRead) {
    for (const char* text : {"<config><program mode=\"2\" /></config>", "", "<ini><program"}) {
        log.str("");
        Load(text);
        EXPECT_EQ(log.str(), "Bad config file or file format: " + file + "\n") << text;
        EXPECT_EQ(s.mode, 0);
    }
    log.str("");
    LoadConfig(QorTest::ScratchFile("missing.xml").c_str(), targets);
    EXPECT_NE(log.str().find("Bad config file or file format: "), std::string::npos);

    try {
        Load(
            "<ini><program mode=\"2\" auto_rotate=\"1\" timescale=\"abc\" randomness=\"3\" />"
            "</ini>");
        FAIL() << "no error";
    } catch (const KR::Error& e) {
        EXPECT_EQ(e.Message(), "LoadConfig: Config file " + file + " structure error!\n");
    }
    // Read before the bad value, untouched after it.
    EXPECT_EQ(std::tie(s.mode, s.auto_rotate, s.randomness), std::make_tuple(2, 1, 0.0f));
}

}  // namespace
