#include "graphics/scene_programs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "graphics/gl_capabilities.h"
#include "kr/base/console.h"
#include "kr/base/data_files.h"
#include "kr/base/error.h"
#include "kr/gl/environment.h"
#include "kr/test_files.h"
#include "kr/base/text_file.h"
#include "support/gl_test_context.h"

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

// Runs in a fresh working directory holding valid sources for the three programs.
class SceneProgramsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QorTest::RequireGLContext();
        graphics::gl_caps = graphics::ReadGLCapabilities();
        ASSERT_TRUE(graphics::gl_caps.shader_objects);
        // Sources beside the test program would be taken before the working directory's.
        for (const char* file : kFiles)
            ASSERT_FALSE(fs::exists(KR::ExecutableFolder() + file)) << file;
        home = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = qor_test::ScratchDir() / info->name();
        fs::create_directories(folder);
        fs::current_path(folder);
        for (const char* file : kFiles)
            qor_test::WriteBytes(file, fs::path(file).extension() == ".vert" ? kVertex : kFragment);
        KR::console.SetStream(&screen);
        graphics::SetPostProcessRebuild([this] { ++rebuilds; });
    }

    void TearDown() override {
        graphics::SetPostProcessRebuild({});
        KR::environment.clear_shaders();
        graphics::water_program = graphics::terrain_program = graphics::sky_program = nullptr;
        graphics::shaders_ok = 0;
        KR::console.SetStream(&std::cout);
        if (!home.empty()) fs::current_path(home);
    }

    fs::path home;
    fs::path folder;
    std::ostringstream screen;
    int rebuilds = 0;
};

TEST_F(SceneProgramsTest, ValidSourcesLoadAllThreeAndReplaceThePrevious) {
    graphics::ReloadShaders();
    EXPECT_EQ(graphics::shaders_ok, 1);
    EXPECT_EQ(Occurrences(screen.str(), kSuccessLine), 1) << screen.str();
    EXPECT_EQ(rebuilds, 1);
    ASSERT_NE(graphics::water_program, nullptr);
    ASSERT_NE(graphics::terrain_program, nullptr);
    ASSERT_NE(graphics::sky_program, nullptr);
    EXPECT_STREQ(graphics::water_program->name, "Water");
    EXPECT_STREQ(graphics::terrain_program->name, "Terrain");
    EXPECT_STREQ(graphics::sky_program->name, "Sky");
    EXPECT_NE(graphics::sky_program->Program(), 0u);
    EXPECT_GE(graphics::sky_program->GetUniformLocation("uTime"), 0);

    // A second reload destroys the first three rather than piling up programs.
    graphics::ReloadShaders();
    EXPECT_EQ(graphics::shaders_ok, 1);
    EXPECT_EQ(KR::environment.shaders.Count(), 3);
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(InLibrary(graphics::water_program));
    EXPECT_TRUE(InLibrary(graphics::sky_program));
}

TEST_F(SceneProgramsTest, AMissingOrBrokenSourceFallsBackToFixedFunctions) {
    graphics::ReloadShaders();
    ASSERT_EQ(graphics::shaders_ok, 1);

    fs::remove("sky.frag");
    std::string message;
    try {
        KR::LoadTextFile(KR::DataFilePath("sky.frag").c_str());
    } catch (const KR::Error& error) {
        message = error.Message();
    }
    ASSERT_FALSE(message.empty());
    screen.str("");
    graphics::ReloadShaders();
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_EQ(Occurrences(screen.str(),
                          "\nProblems with shaders: " + message + "\nUsing fixed functionality!\n"),
              1)
        << screen.str();
    EXPECT_EQ(Occurrences(screen.str(), kSuccessLine), 0);
    EXPECT_EQ(rebuilds, 2);
    ASSERT_NE(graphics::water_program, nullptr);
    ASSERT_NE(graphics::terrain_program, nullptr);
    EXPECT_EQ(graphics::sky_program, nullptr);
    EXPECT_TRUE(InLibrary(graphics::water_program));
    EXPECT_TRUE(InLibrary(graphics::terrain_program));
    EXPECT_EQ(KR::environment.shaders.Count(), 3);  // the half-loaded "Sky" stays too

    // A program that does not link stops the reload at that program.
    qor_test::WriteBytes("terrain.frag", "void main() { gl_FragColor = }\n");
    screen.str("");
    graphics::ReloadShaders();
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_EQ(Occurrences(screen.str(),
                          "\nProblems with shaders: KR::Environment::load_shader:  Link failed!"
                          "\nUsing fixed functionality!\n"),
              1)
        << screen.str();
    EXPECT_NE(graphics::water_program, nullptr);
    EXPECT_EQ(graphics::terrain_program, nullptr);
    EXPECT_EQ(graphics::sky_program, nullptr);
    EXPECT_EQ(KR::environment.shaders.Count(), 2);
    EXPECT_EQ(rebuilds, 3);
}

TEST_F(SceneProgramsTest, WithoutShaderSupportNothingIsCreated) {
    graphics::ReloadShaders();
    ASSERT_EQ(graphics::shaders_ok, 1);
    KR::environment.clear_shaders();
    graphics::gl_caps.shader_objects = false;
    screen.str("");
    graphics::ReloadShaders();
    graphics::ReloadShaders();
    EXPECT_EQ(Occurrences(screen.str(), kSupportLine), 2);
    EXPECT_EQ(screen.str(), kSupportLine + kSupportLine);
    EXPECT_EQ(graphics::shaders_ok, 0);
    // The old pointers went with the library; none may be left dangling.
    EXPECT_EQ(graphics::water_program, nullptr);
    EXPECT_EQ(graphics::terrain_program, nullptr);
    EXPECT_EQ(graphics::sky_program, nullptr);
    EXPECT_EQ(KR::environment.shaders.Count(), 0);
    EXPECT_EQ(rebuilds, 1);
}

}  // namespace
