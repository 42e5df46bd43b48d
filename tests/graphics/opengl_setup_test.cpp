// The OpenGL set-up end to end: report, requirements, textures, frame buffers, view, release.

#include <cstring>
#include <tuple>

#include "graphics/capability_report.h"
#include "graphics/gl_requirements.h"
#include "graphics/graphics_state.h"
#include "graphics/postprocessing_program.h"
#include "graphics/scene_textures.h"
#include "kr/gl/environment.h"
#include "support/gl_scene_test.h"
#include "support/gl_test.h"

namespace {

using graphics::gl_capabilities;
using graphics::gl_state;

// Everything a driver can offer: 8 units, textures up to 2048.
const gl_capabilities kFull{true, 8, true, true, true, true, true, true, true, true, 2048};

TEST(GLRequirements, EachMissingOneIsNamedInTheOrderTheyAreTestedAndFourUnitsRunRestricted) {
    QorTest::ConsoleCapture log;
    using Caps = gl_capabilities;
    const struct {
        bool Caps::*missing;
        bool Caps::*also_missing;
        int units;
        std::string message;
    } cases[] = {
        {nullptr, nullptr, 8, ""},
        {&Caps::multitexture, nullptr, 8, "GL_ARB_multitexture not supported!"},
        {&Caps::separate_specular, nullptr, 8, "GL_EXT_separate_specular not supported."},
        {&Caps::fog_coord, nullptr, 8, "GL_EXT_fog_coord not supported."},
        {&Caps::cube_map, nullptr, 8, "GL_ARB_texture_cube_map not supported."},
        {&Caps::texture_3d, nullptr, 8, "GL_EXT_texture3D not supported."},
        {&Caps::shadow, nullptr, 8, "GL_ARB_shadow not supported."},
        {&Caps::shadow, &Caps::fog_coord, 8, "GL_EXT_fog_coord not supported."},  // the first
        {nullptr, nullptr, 3,
         "GL_ARB_multitexture:  Not enough multitextures supported. For minimal configuration "
         "are needed 4, only 3 detected."},
        {nullptr, nullptr, 4, ""},
    };
    for (const auto& c : cases) {
        gl_capabilities caps = kFull;
        for (bool Caps::*flag : {c.missing, c.also_missing})
            if (flag) caps.*flag = false;
        caps.texture_units = c.units;
        EXPECT_EQ(QorTest::ErrorOf([&] { graphics::CheckOpenGLRequirements(caps); }),
                  c.message.empty() ? "" : "SetUpOpenGL: " + c.message);
    }
    EXPECT_EQ(log.str(),
              "Not enough texture units! For best visual quality 8 units are required but only 4 "
              "were detected. Running in restricted mode.\n");
    QorTest::ConsoleCapture extensions;
    graphics::PrintGLExtStr("GL_A GL_B GL_C ");
    EXPECT_EQ(extensions.str(), "GL_A\nGL_B\nGL_C\n");
}

class OpenGLSetup : public QorTest::GLTest {
  protected:
    void TearDown() override {
        graphics::ReleaseOpenGL();
        display = saved_display;
        GLTest::TearDown();
    }
    display_settings saved_display = display;
};

KR::Texture* Find(const char* name) {
    for (KR::Texture* t = KR::environment.textures.First(); t; t = KR::environment.textures.Next())
        if (std::strcmp(t->name, name) == 0) return t;
    return nullptr;
}

TEST_F(OpenGLSetup, MakesEveryNamedTextureMaterialAndFramebufferAndANewSkyBoxInPlace) {
    const std::string log = QorTest::SetUpSmallScene();
    size_t at = 0;
    for (const char* section :
         {"OpenGL info\n-----------\nVersion:    ", "\nRenderer:   ", "Max Viewport: ",
          "Max Attrib Stack:        ", "Smooth Line Width Range:      ",
          "\nOpenGL extensions\n-----------------\n", "\nGLX extensions\n----------------\n",
          "Shaders\n-------\n",
          "\nPostprocessing\n--------------\n  Supported. (framebuffer "
          "object and texture rectangle supported)\n\n",
          "Textures\n--------\n", "Contours: 512 px ", "\n Generated in ",
          "Terrain main: 512x512 px ", "Water surface: 4 frames of 16x16 px ",
          "Skybox clouds: 6 sides of 32x32 px ", "Skybox space:  6 sides of 32x32 px ",
          "\nFramebuffer\n-----------\nUsing Framebuffer Object to render shadow map.\n",
          "\nInit complete in ", " sec, starting loop....\n"}) {
        const size_t found = log.find(section, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << section;
        at = found + std::strlen(section);
    }

    const struct {
        const char* name;
        uint32_t target;
        int width, height;
    } expected[] = {{"Tree01", GL_TEXTURE_2D, 128, 256},
                    {"Dist", GL_TEXTURE_2D, 256, 256},
                    {"Dither", GL_TEXTURE_2D, 4, 4},
                    {"Height01", GL_TEXTURE_1D, 512, 1},
                    {"TerrainMain", GL_TEXTURE_2D, 512, 512},
                    {"WaterWaveNormals", GL_TEXTURE_3D, 16, 16},
                    {"SkyBoxClouds", GL_TEXTURE_CUBE_MAP, 32, 32},
                    {"SkyBoxSpace", GL_TEXTURE_CUBE_MAP, 32, 32}};
    for (const auto& e : expected) {
        KR::Texture* t = Find(e.name);
        ASSERT_NE(t, nullptr) << e.name;
        EXPECT_EQ(std::tuple(t->target, t->width, t->height, glIsTexture(t->texture_name)),
                  std::tuple(e.target, e.width, e.height, GLboolean(GL_TRUE)))
            << e.name;
    }
    EXPECT_EQ(gl_state.tex_tree, Find("Tree01"));
    EXPECT_EQ(gl_state.tex_sky_space, Find("SkyBoxSpace"));
    EXPECT_EQ(gl_state.tex_tree->data[3], 0);  // a transparent background
    // Dither texels hold the Bayer matrix times 16 in all four channels.
    const uint8_t* dither = gl_state.tex_dither->data.get();
    EXPECT_EQ(std::tuple(dither[4 * 1], dither[4 * 4 + 3], dither[4 * 15 + 2]),
              std::tuple(192, 128, 80));

    EXPECT_STREQ(gl_state.mat_terrain->name, "Terrain");
    EXPECT_STREQ(gl_state.mat_water->name, "Water");
    EXPECT_FLOAT_EQ(gl_state.mat_water->GetColor(KR::kMatSpecular)[0], 1.0f);

    GLint shadow_width = 0;  // the frame buffer's use is in the report
    glBindTexture(GL_TEXTURE_2D, gl_state.shadow_texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &shadow_width);
    EXPECT_EQ(shadow_width, display.tex_shadow_size);
    EXPECT_GT(display.tex_shadow_size, 512);
    // A new sky box replaces the old one in its place in the library; a size that is no
    // power of two is brought to one the driver takes.
    const int count = KR::environment.textures.Count();
    KR::Texture* clouds = gl_state.tex_sky_clouds;
    graphics::CreateSkyBoxTextures(16, 0.9f, -1, 0.1f);
    EXPECT_EQ(KR::environment.textures.Count(), count);
    EXPECT_EQ(gl_state.tex_sky_clouds, clouds);
    EXPECT_EQ(clouds->width, 16);
    graphics::CreateSkyBoxTextures(100, -1, -1, -1);
    EXPECT_EQ(clouds->width, 64);

    // The post-processing program is built with the rest and released with it.
    EXPECT_TRUE(graphics::postproc_program && std::filesystem::exists("postproc.frag"));
    graphics::ReleaseOpenGL();
    EXPECT_EQ(graphics::postproc_program, nullptr);
}

TEST_F(OpenGLSetup, WithoutFramebufferObjectsTheShadowMapIsCopied) {
    const std::string log =
        QorTest::SetUpSmallScene({[](gl_capabilities& caps) { caps.framebuffer_object = false; }});
    EXPECT_NE(log.find("  Not supported! (framebuffer object = NOT, texture rectangle = OK)\n\n"
                       "Textures\n"),
              std::string::npos);
    EXPECT_NE(log.find("\nFramebuffer\n-----------\nGL_EXT_framebuffer_object not supported. Using "
                       "glCopyTexSubImage2D() to render shadow map, requires window at least "
                       "512x512 to render corectly.\n\nInit complete"),
              std::string::npos);
    EXPECT_EQ(gl_state.shadow_framebuffer, 0u);
    EXPECT_EQ(display.tex_shadow_size, 512);
}

TEST_F(OpenGLSetup, ConfiguredShadowSizeIsKeptWithinTheLargestTexture) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    display.tex_shadow_size = largest * 2;
    QorTest::SetUpSmallScene({[](gl_capabilities& caps) { caps.max_texture_size = 1024; }});
    EXPECT_EQ(display.tex_shadow_size, 1024);
}

TEST_F(OpenGLSetup, AMissingRequirementEndsSetUpBeforeAnyTextureIsMade) {
    EXPECT_THROW(QorTest::SetUpSmallScene({[](gl_capabilities& c) { c.cube_map = false; }}),
                 KR::Error);
    EXPECT_EQ(KR::environment.textures.First(), nullptr);
}

TEST_F(OpenGLSetup, TheViewFollowsTheWindowAndTheToolbox) {
    QorTest::SetUpSmallScene();
    // The viewport's x and width, and the width of the colour target.
    const auto view = [] {
        GLint viewport[4] = {}, target_width = 0;
        glGetIntegerv(GL_VIEWPORT, viewport);
        glBindTexture(GL_TEXTURE_RECTANGLE_ARB, gl_state.color_texture);
        glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &target_width);
        return std::vector<GLint>{viewport[0], viewport[2], target_width};
    };
    graphics::UpdateView({800, 600, true, 200});
    EXPECT_FLOAT_EQ(gl_state.view_aspect, 1.0f);
    EXPECT_EQ(view(), (std::vector<GLint>{200, 600, 600}));
    graphics::UpdateView({800, 600, false, 200});
    EXPECT_EQ(view(), (std::vector<GLint>{0, 800, 800}));
    EXPECT_NEAR(gl_state.view_aspect, 800.0f / 600.0f, 1e-6);
    // A toolbox wider than the window leaves no view: nothing is re-created.
    graphics::UpdateView({150, 600, true, 200});
    EXPECT_EQ(gl_state.view_width, 0);
    EXPECT_EQ(view(), (std::vector<GLint>{0, 800, 800}));
    // Neither that nor a minimised window changes the aspect (no infinite one).
    graphics::UpdateView({800, 0, false, 200});
    EXPECT_NEAR(gl_state.view_aspect, 800.0f / 600.0f, 1e-6);
}

}  // namespace
