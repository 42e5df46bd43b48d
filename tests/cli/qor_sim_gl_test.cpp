// qor-sim's pictures: a snapshot of the final scene and a time-lapse, drawn offscreen.

#include "sim_options.h"
#include "sim_run.h"
#include "support/gl_test.h"
#include "terrain/app_settings.h"

namespace {

TEST(QorSimPictures, SnapshotAndTimeLapseAreBitmapsOfTheAskedSize) {
    if (!QorTest::UseGLContext()) GTEST_SKIP() << "no display with OpenGL";
    textures.skybox_size = 32;  // the sky's generation is not under test
    textures.water_size = 16;
    sim_options o;
    o.size = 32;
    o.seed = 3;
    o.steps = 5;
    o.threads = 1;
    o.image_width = 64;
    o.image_height = 48;
    o.snapshot = QorTest::ScratchFile("snap.bmp");
    o.frames = QorTest::ScratchFile("frames");
    o.every = 2;
    ASSERT_EQ(RunSim(o), 0);
    const size_t bitmap = 54 + 64 * 48 * 3;
    EXPECT_EQ(std::filesystem::file_size(o.snapshot), bitmap);
    EXPECT_EQ(std::filesystem::file_size(o.frames + "/frame-000001.bmp"), bitmap);
    EXPECT_EQ(std::filesystem::file_size(o.frames + "/frame-000002.bmp"), bitmap);
    EXPECT_FALSE(std::filesystem::exists(o.frames + "/frame-000003.bmp"));
    // Not a picture of nothing: the landscape shows.
    const std::string bytes = QorTest::ReadBytes(o.snapshot);
    EXPECT_NE(bytes.find_first_not_of('\0', 54), std::string::npos);
}

}  // namespace
