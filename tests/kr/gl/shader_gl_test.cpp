#include "kr/gl/shader.h"

#include <functional>

#include "support/console_capture.h"
#include "support/gl_test.h"

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

// Where each line stands in the log, npos for a missing one.
std::vector<size_t> Places(const std::string& log, std::initializer_list<const char*> lines) {
    std::vector<size_t> places;
    for (const char* line : lines)
        places.push_back(log.find(line));
    return places;
}

class ShaderTest : public QorTest::GLTest {
  protected:
    QorTest::ConsoleCapture screen;
};

TEST_F(ShaderTest, LinkedProgramTakesUniformsByName) {
    KR::Shader shader("Plain", kVertex, kFragment, 0);
    ASSERT_NE(shader.Program(), 0u);
    const auto places = Places(
        screen.str(), {"Compiling vertex shader Plain.\n", "Compiling fragment shader Plain.\n",
                       "Linking Plain shader program:\n"});
    EXPECT_TRUE(places[0] < places[1] && places[1] < places[2] && places[2] != std::string::npos)
        << screen.str();
    EXPECT_TRUE(shader.Link());

    shader.Use();
    const float four[4] = {0.25f, -1.0f, 3.0f, 8.0f}, three[3] = {7, 6, 5}, two[2] = {-4, 0.5f};
    float matrix[16];
    for (int i = 0; i < 16; ++i)
        matrix[i] = float(i + 1);
    const struct {
        const char* name;
        std::function<int()> set;
        std::vector<float> expected;
    } uniforms[] = {
        {"uTime", [&] { return shader.SetUniform1f("uTime", 2.5f); }, {2.5f}},
        {"uFour", [&] { return shader.SetUniform4fv("uFour", four); }, {0.25f, -1, 3, 8}},
        {"uThree", [&] { return shader.SetUniform3fv("uThree", three); }, {7, 6, 5}},
        {"uTwo", [&] { return shader.SetUniform2fv("uTwo", two); }, {-4, 0.5f}},
        {"uMode", [&] { return shader.SetUniform1i("uMode", 3); }, {3}},
        // Column-major as given, not transposed.
        {"uMatrix",
         [&] { return shader.SetUniformMatrix4fv("uMatrix", matrix, 1, false); },
         {1, 2, 3, 4, 5}},
    };
    for (const auto& u : uniforms) {
        const int at = u.set();
        ASSERT_GE(at, 0) << u.name;
        EXPECT_EQ(at, shader.GetUniformLocation(u.name));
        float got[16] = {};
        glGetUniformfvARB(shader.Program(), at, got);
        EXPECT_EQ(std::vector<float>(got, got + u.expected.size()), u.expected) << u.name;
    }
    EXPECT_GE(shader.GetAttribLocation("aWater"), 0);
    EXPECT_EQ(shader.GetAttribLocation("aNothing"), -1);
    // A name the program lacks answers -1, sets nothing and leaves no GL error behind.
    EXPECT_EQ(shader.SetUniform1f("uNothing", 1.0f), -1);
    EXPECT_EQ(shader.SetUniform4fv("uNothing", four), -1);
    EXPECT_EQ(shader.SetUniformMatrix4fv("uNothing", matrix, 1, true), -1);

    shader.Destroy();
    EXPECT_EQ(shader.Program() | shader.vertex_shader | shader.fragment_shader, 0u);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    shader.Destroy();
    EXPECT_EQ(shader.SetUniform1f("uTime", 1.0f), -1);
}

TEST_F(ShaderTest, CompileErrorsShowInTheLogAndFailTheLink) {
    KR::Shader shader;
    shader.SetName("Broken");
    shader.Load(KR::kVertexShader, kVertex, 0);
    shader.Load(KR::kFragmentShader, "void main() { gl_FragColor = vec4(1.0) }\n", 0);
    EXPECT_FALSE(shader.Link());
    const std::string log = screen.str();
    const std::string compile = "Compiling fragment shader Broken.\n";
    const auto places = Places(log, {compile.c_str(), "Linking Broken shader program:\n"});
    ASSERT_TRUE(places[0] + compile.size() < places[1] && places[1] != std::string::npos) << log;
    // The compiler's complaint sits between the compile line and the link line.
    EXPECT_NE(log.substr(places[0], places[1] - places[0]).find("error"), std::string::npos) << log;

    // A corrected source reuses the shader object, which stays attached once.
    const uint32_t fragment = shader.fragment_shader;
    shader.Load(KR::kFragmentShader, kFragment, 0);
    EXPECT_EQ(shader.fragment_shader, fragment);
    EXPECT_TRUE(shader.Link());
    GLint attached = 0;
    glGetObjectParameterivARB(shader.Program(), GL_OBJECT_ATTACHED_OBJECTS_ARB, &attached);
    EXPECT_EQ(attached, 2);
}

TEST(ShaderInfoLog, SoftwareInTheLogCountsAsFailure) {
    EXPECT_TRUE(KR::LogMentionsSoftware("warning: program will run in software.\n"));
    EXPECT_TRUE(KR::LogMentionsSoftware("linked.\nsoftware fallback"));
    EXPECT_FALSE(KR::LogMentionsSoftware("soft ware"));
    EXPECT_FALSE(KR::PrintInfoLog(0));
}

}  // namespace
