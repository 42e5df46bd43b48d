#include "graphics/scene_programs.h"

#include "graphics/gl_capabilities.h"
#include "kr/gl/environment.h"
#include "support/console_capture.h"
#include "support/gl_test.h"

namespace {

namespace fs = std::filesystem;

const char* const kFiles[] = {"water.vert",   "water.frag", "terrain.vert",
                              "terrain.frag", "sky.vert",   "sky.frag"};
const char* const kVertex = "void main() { gl_Position = ftransform(); }\n";
const char* const kFragment =
    "uniform float uTime;\n"
    "void main() { gl_FragColor = vec4(uTime); }\n";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<KR::Shader*> Library() {
    std::vector<KR::Shader*> all;
    for (KR::Shader* s = KR::environment.shaders.First(); s; s = KR::environment.shaders.Next())
        all.push_back(s);
    return all;
}

// Runs in a fresh working folder holding valid sources for the three programs.
class SceneProgramsTest : public QorTest::GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        graphics::gl_caps = graphics::ReadGLCapabilities();
        for (const char* file : kFiles)
            QorTest::WriteBytes(file, fs::path(file).extension() == ".vert" ? kVertex : kFragment);
        graphics::SetPostProcessRebuild([this] { ++rebuilds; });
        Reload();
        ASSERT_EQ(graphics::shaders_ok, 1);
        ASSERT_TRUE(EndsWith(log, "\nAll shaders succesfully compiled and linked.\n\n")) << log;
        EXPECT_EQ(rebuilds, 1);
    }
    void TearDown() override {
        graphics::SetPostProcessRebuild({});
        graphics::ReleaseShaders();
        GLTest::TearDown();
    }
    void Reload() {
        QorTest::ConsoleCapture screen;
        graphics::ReloadShaders();
        log = screen.str();
    }

    QorTest::ScratchWorkingFolder folder;
    std::string log;
    int rebuilds = 0;
};

TEST_F(SceneProgramsTest, ValidSourcesLoadAllThreeAndReplaceThePreviousAndNoSupportLeavesNone) {
    EXPECT_STREQ(graphics::water_program->name, "Water");
    EXPECT_STREQ(graphics::terrain_program->name, "Terrain");
    EXPECT_STREQ(graphics::sky_program->name, "Sky");
    EXPECT_GE(graphics::sky_program->GetUniformLocation("uTime"), 0);
    // A second reload destroys the first three rather than piling up programs.
    Reload();
    EXPECT_EQ(graphics::shaders_ok, 1);
    EXPECT_EQ(rebuilds, 2);
    EXPECT_EQ(Library(), (std::vector{graphics::water_program, graphics::terrain_program,
                                      graphics::sky_program}));
    // Without shader support no program is made and no pointer to an old one is kept.
    graphics::gl_caps.shader_objects = false;
    Reload();
    EXPECT_EQ(log,
              "Shader support not found! Shader options not avaliable, using only fixed "
              "functionality!\n");
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_TRUE(!graphics::water_program && !graphics::terrain_program && !graphics::sky_program);
    EXPECT_EQ(rebuilds, 2);
}

TEST_F(SceneProgramsTest, AMissingOrBrokenSourceFallsBackToFixedFunctions) {
    fs::remove("sky.frag");
    Reload();
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_TRUE(EndsWith(log,
                         "\nProblems with shaders: KR::LoadTextFile: Failed to open the file."
                         "\nUsing fixed functionality!\n"))
        << log;
    EXPECT_EQ(rebuilds, 2);
    // The half-loaded "Sky" stays in the library too.
    const std::vector<KR::Shader*> library = Library();
    ASSERT_EQ(library.size(), 3u);
    EXPECT_EQ(std::vector(library.begin(), library.begin() + 2),
              (std::vector{graphics::water_program, graphics::terrain_program}));
    EXPECT_EQ(graphics::sky_program, nullptr);

    // A program that does not link stops the reload at that program.
    QorTest::WriteBytes("terrain.frag", "void main() { gl_FragColor = }\n");
    Reload();
    EXPECT_EQ(graphics::shaders_ok, 0);
    EXPECT_TRUE(EndsWith(log,
                         "\nProblems with shaders: KR::Environment::load_shader:  Link failed!"
                         "\nUsing fixed functionality!\n"))
        << log;
    EXPECT_EQ(Library().size(), 2u);
    EXPECT_EQ(Library()[0], graphics::water_program);
    EXPECT_TRUE(graphics::terrain_program == nullptr && graphics::sky_program == nullptr);
    EXPECT_EQ(rebuilds, 3);
}

}  // namespace
