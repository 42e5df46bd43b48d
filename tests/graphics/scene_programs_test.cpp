#include "graphics/scene_programs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "graphics/gl_capabilities.h"
#include "kr/base/data_files.h"
#include "kr/base/error.h"
#include "kr/base/text_file.h"
#include "kr/gl/environment.h"
#include "support/console_capture.h"
#include "support/gl_test.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

const char* const kFiles[] = {"water.vert",   "water.frag", "terrain.vert",
                              "terrain.frag", "sky.vert",   "sky.frag"};
const char* const kVertex = "void main() { gl_Position = ftransform(); }\n";
const char* const kFragment =
    "uniform float uTime;\n"
    "void main() { gl_FragColor = vec4(uTime); }\n";

const std::string kSupportLine =
    "Shader support not found! Shader options not avaliable, using only fixed functionality!\n";
const std::string kSuccessLine = "All shaders succesfully compiled and linked.\n\n";

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool InLibrary(const KR::Shader* shader) {
    for (KR::Shader* s = KR::environment.shaders.First(); s; s = KR::environment.shaders.Next())
        if (s == shader) return true;
    return false;
}

// Runs in a fresh working folder holding valid sources for the three programs.
class SceneProgramsTest : public QorTest::GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        graphics::gl_caps = graphics::ReadGLCapabilities();
        ASSERT_TRUE(graphics::gl_caps.shader_objects);
        for (const char* file : kFiles) {
            // Sources beside the test program would be taken before the working folder's.
            ASSERT_FALSE(fs::exists(KR::ExecutableFolder() + file)) << file;
            QorTest::WriteBytes(file, fs::path(file).extension() == ".vert" ? kVertex : kFragment);
        }
        graphics::SetPostProcessRebuild([this] { ++rebuilds; });
        Reload();
        ASSERT_EQ(graphics::shaders_ok, 1);
        EXPECT_EQ(Occurrences(log, kSuccessLine), 1) << log;
        EXPECT_EQ(rebuilds, 1);
    }
    void TearDown() override {
        graphics::SetPostProcessRebuild({});
        KR::environment.clear_shaders();
        graphics::water_program = graphics::terrain_program = graphics::sky_program = nullptr;
        graphics::shaders_ok = 0;
        GLTest::TearDown();
    }
    // Reloads and keeps what the reload wrote.
    void Reload() {
        QorTest::ConsoleCapture screen;
        graphics::ReloadShaders();
        log = screen.str();
    }
    void ExpectPrograms(bool water, bool terrain, bool sky) {
        EXPECT_EQ(graphics::water_program != nullptr, water);
        EXPECT_EQ(graphics::terrain_program != nullptr, terrain);
        EXPECT_EQ(graphics::sky_program != nullptr, sky);
    }

    QorTest::ScratchWorkingFolder folder;
    std::string log;
    int rebuilds = 0;
};

TEST_F(SceneProgramsTest, ValidSourcesLoadAllThreeAndReplaceThePrevious) {
    ExpectPrograms(true, true, true);
    EXPECT_STREQ(graphics::water_program->name, "Water");
    EXPECT_STREQ(graphics::terrain_program->name, "Terrain");
    EXPECT_STREQ(graphics::sky_program->name, "Sky");
    EXPECT_GE(graphics::sky_program->GetUniformLocation("uTime"), 0);
    // A second reload destroys the first three rather than piling up programs.
    Reload();
    EXPECT_EQ(graphics::shaders_ok, 1);
    EXPECT_EQ(KR::environment.shaders.Count(), 3);
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(InLibrary(graphics::water_program));
    EXPECT_TRUE(InLibrary(graphics::sky_program));
}

TEST_F(SceneProgramsTest, AMissingOrBrokenSourceFallsBackToFixedFunctions) {
    fs::remove("sky.frag");
    std::string message;
    try {
        KR::LoadTextFile(KR::DataFilePath("sky.frag").c_str());
    } catch (const KR::Error& error) {
        message = error.Message();
    }
    ASSERT_FALSE(message.empty());
    Reload();
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_EQ(
        Occurrences(log, "\nProblems with shaders: " + message + "\nUsing fixed functionality!\n"),
        1)
        << log;
    EXPECT_EQ(Occurrences(log, kSuccessLine), 0);
    EXPECT_EQ(rebuilds, 2);
    ExpectPrograms(true, true, false);
    EXPECT_TRUE(InLibrary(graphics::water_program));
    EXPECT_TRUE(InLibrary(graphics::terrain_program));
    EXPECT_EQ(KR::environment.shaders.Count(), 3);  // the half-loaded "Sky" stays too

    // A program that does not link stops the reload at that program.
    QorTest::WriteBytes("terrain.frag", "void main() { gl_FragColor = }\n");
    Reload();
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_EQ(Occurrences(log,
                          "\nProblems with shaders: KR::Environment::load_shader:  Link failed!"
                          "\nUsing fixed functionality!\n"),
              1)
        << log;
    ExpectPrograms(true, false, false);
    EXPECT_EQ(KR::environment.shaders.Count(), 2);
    EXPECT_EQ(rebuilds, 3);
}

TEST_F(SceneProgramsTest, WithoutShaderSupportNothingIsCreated) {
    KR::environment.clear_shaders();
    graphics::gl_caps.shader_objects = false;
    Reload();
    EXPECT_EQ(log, kSupportLine);
    Reload();
    EXPECT_EQ(log, kSupportLine);
    EXPECT_EQ(graphics::shaders_ok, 0);
    // The old pointers went with the library; none may be left dangling.
    ExpectPrograms(false, false, false);
    EXPECT_EQ(KR::environment.shaders.Count(), 0);
    EXPECT_EQ(rebuilds, 1);
}

}  // namespace
