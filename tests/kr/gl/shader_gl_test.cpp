#include "kr/gl/shader.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/test_files.h"
#include "support/gl_test_context.h"

namespace {

const char* const kVertex =
    "uniform mat4 uMatrix;\n"
    "attribute float aWater;\n"
    "varying float vWater;\n"
    "void main() { vWater = aWater; gl_Position = uMatrix * gl_Vertex; }\n";

const char* const kFragment =
    "uniform float uTime;\n"
    "uniform int uMode;\n"
    "uniform vec2 uTwo;\n"
    "uniform vec3 uThree;\n"
    "uniform vec4 uFour;\n"
    "varying float vWater;\n"
    "void main() {\n"
    "  gl_FragColor = uFour + vec4(uThree, uTime + vWater) + vec4(uTwo, float(uMode), 0.0);\n"
    "}\n";

class ShaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QorTest::RequireGLContext();
        while (glGetError() != GL_NO_ERROR) {
        }
        KR::console.SetStream(&screen);
    }
    void TearDown() override { KR::console.SetStream(&std::cout); }

    std::ostringstream screen;
};

TEST_F(ShaderTest, LinkedProgramTakesUniformsByName) {
    KR::Shader shader("Plain", kVertex, kFragment, 0);
    ASSERT_NE(shader.Program(), 0u);
    ASSERT_NE(shader.vertex_shader, 0u);
    ASSERT_NE(shader.fragment_shader, 0u);
    const std::string log = screen.str();
    const size_t vertex_line = log.find("Compiling vertex shader Plain.\n");
    const size_t fragment_line = log.find("Compiling fragment shader Plain.\n");
    const size_t link_line = log.find("Linking Plain shader program:\n");
    ASSERT_NE(vertex_line, std::string::npos);
    ASSERT_NE(fragment_line, std::string::npos);
    ASSERT_NE(link_line, std::string::npos);
    EXPECT_LT(vertex_line, fragment_line);
    EXPECT_LT(fragment_line, link_line);
    EXPECT_TRUE(shader.Link());

    shader.Use();
    const GLhandleARB program = shader.Program();
    float got[16] = {};
    const int time = shader.SetUniform1f("uTime", 2.5f);
    ASSERT_GE(time, 0);
    EXPECT_EQ(time, shader.GetUniformLocation("uTime"));
    glGetUniformfvARB(program, time, got);
    EXPECT_EQ(got[0], 2.5f);

    const float four[4] = {0.25f, -1.0f, 3.0f, 8.0f};
    const int four_at = shader.SetUniform4fv("uFour", four);
    ASSERT_GE(four_at, 0);
    glGetUniformfvARB(program, four_at, got);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(got[i], four[i]) << i;

    const float three[3] = {7.0f, 6.0f, 5.0f};
    const int three_at = shader.SetUniform3fv("uThree", three);
    ASSERT_GE(three_at, 0);
    glGetUniformfvARB(program, three_at, got);
    EXPECT_EQ(got[2], 5.0f);

    const float two[2] = {-4.0f, 0.5f};
    const int two_at = shader.SetUniform2fv("uTwo", two);
    ASSERT_GE(two_at, 0);
    glGetUniformfvARB(program, two_at, got);
    EXPECT_EQ(got[0], -4.0f);
    EXPECT_EQ(got[1], 0.5f);

    const int mode_at = shader.SetUniform1i("uMode", 3);
    ASSERT_GE(mode_at, 0);
    GLint mode = 0;
    glGetUniformivARB(program, mode_at, &mode);
    EXPECT_EQ(mode, 3);

    float matrix[16];
    for (int i = 0; i < 16; ++i)
        matrix[i] = float(i + 1);
    const int matrix_at = shader.SetUniformMatrix4fv("uMatrix", matrix, 1, false);
    ASSERT_GE(matrix_at, 0);
    glGetUniformfvARB(program, matrix_at, got);
    EXPECT_EQ(got[1], 2.0f);  // column-major as given, not transposed
    EXPECT_EQ(got[4], 5.0f);

    EXPECT_GE(shader.GetAttribLocation("aWater"), 0);
    EXPECT_EQ(shader.GetAttribLocation("aNothing"), -1);
    // A name the program lacks answers -1, sets nothing and leaves no GL error behind.
    EXPECT_EQ(shader.SetUniform1f("uNothing", 1.0f), -1);
    EXPECT_EQ(shader.SetUniform4fv("uNothing", four), -1);
    EXPECT_EQ(shader.SetUniformMatrix4fv("uNothing", matrix, 1, true), -1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    shader.Destroy();
    EXPECT_EQ(shader.Program(), 0u);
    EXPECT_EQ(shader.vertex_shader, 0u);
    EXPECT_EQ(shader.fragment_shader, 0u);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    shader.Destroy();
    EXPECT_EQ(shader.SetUniform1f("uTime", 1.0f), -1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ShaderTest, CompileErrorsShowInTheLogAndFailTheLink) {
    KR::Shader shader;
    shader.SetName("Broken");
    shader.Load(KR::kVertexShader, kVertex, 0);
    shader.Load(KR::kFragmentShader, "void main() { gl_FragColor = vec4(1.0) }\n", 0);
    EXPECT_FALSE(shader.Link());
    const std::string log = screen.str();
    const size_t after_compile = log.find("Compiling fragment shader Broken.\n") +
                                 sizeof "Compiling fragment shader Broken.\n" - 1;
    const size_t link_line = log.find("Linking Broken shader program:\n");
    ASSERT_NE(link_line, std::string::npos);
    ASSERT_LT(after_compile, link_line);
    // The compiler's complaint sits between the compile line and the link line.
    EXPECT_NE(log.substr(after_compile, link_line - after_compile).find("error"), std::string::npos)
        << log;

    // A corrected source reuses the shader object, which stays attached once.
    const uint32_t fragment = shader.fragment_shader;
    shader.Load(KR::kFragmentShader, kFragment, 0);
    EXPECT_EQ(shader.fragment_shader, fragment);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(shader.Link());
    GLint attached = 0;
    glGetObjectParameterivARB(shader.Program(), GL_OBJECT_ATTACHED_OBJECTS_ARB, &attached);
    EXPECT_EQ(attached, 2);
}

TEST_F(ShaderTest, BadKindsAndMissingFilesRaise) {
    KR::Shader shader;
    try {
        shader.Load(3, kVertex, 0);
        ADD_FAILURE() << "kind 3 accepted";
    } catch (const KR::Error& error) {
        EXPECT_EQ(error.Message(), "KR::Shader::Load: Wrong shader type.");
    }
    const std::string missing = qor_test::ScratchFile("no-such.vert");
    EXPECT_THROW(shader.Load(KR::kVertexShader, missing.c_str(), 1), KR::ErrorFile);
    EXPECT_THROW(KR::Shader("FromFile", missing.c_str(), nullptr, 1), KR::ErrorFile);

    const std::string file = qor_test::ScratchFile("plain.vert");
    qor_test::WriteBytes(file, kVertex);
    shader.SetName("FromFile");
    shader.Load(KR::kVertexShader, file.c_str(), 1);
    EXPECT_NE(screen.str().find("Compiling vertex shader FromFile.\n"), std::string::npos);
    EXPECT_NE(shader.Program(), 0u);
    shader.Destroy();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(ShaderInfoLog, SoftwareInTheLogCountsAsFailure) {
    EXPECT_TRUE(KR::LogMentionsSoftware("warning: program will run in software.\n"));
    EXPECT_TRUE(
        KR::LogMentionsSoftware("Fragment shader(s) linked, vertex shader(s) "
                                "linked.\nsoftware fallback"));
    EXPECT_FALSE(KR::LogMentionsSoftware("Fragment shader(s) linked.\n"));
    EXPECT_FALSE(KR::LogMentionsSoftware("soft ware"));
    EXPECT_FALSE(KR::LogMentionsSoftware(""));
    EXPECT_FALSE(KR::PrintInfoLog(0));
}

}  // namespace
