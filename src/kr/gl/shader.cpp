#include "kr/gl/shader.h"

#include <GL/glew.h>

#include <string>

#include "kr/base/console.h"
#include "kr/base/error.h"
#include "kr/base/text_file.h"

namespace KR {
namespace {

// We attach at most a vertex and a fragment shader.
constexpr GLsizei kMaxAttached = 2;

bool IsAttached(uint32_t program, uint32_t shader) {
    GLhandleARB attached[kMaxAttached] = {};
    GLsizei count = 0;
    glGetAttachedObjectsARB(program, kMaxAttached, &count, attached);
    for (GLsizei i = 0; i < count && i < kMaxAttached; ++i)
        if (attached[i] == shader) return true;
    return false;
}

}  // namespace

Shader::Shader(const char* name, const char* vertex_source, const char* fragment_source,
               int from_file) {
    if (name) SetName(name);
    // The destructor does not run for a half-built object, so release what was created.
    try {
        if (vertex_source) Load(kVertexShader, vertex_source, from_file);
        if (fragment_source) Load(kFragmentShader, fragment_source, from_file);
        if (vertex_source || fragment_source) Link();
    } catch (...) {
        Destroy();
        throw;
    }
}

uint32_t Shader::CreateProgram() {
    // Without the extension GLEW leaves the entry point empty.
    const uint32_t handle = glCreateProgramObjectARB ? glCreateProgramObjectARB() : 0;
    if (handle == 0) throw Error("KR::Shader::CreateProgram", ": Can't create program object.");
    return handle;
}

uint32_t Shader::CreateShader(uint32_t type) {
    const uint32_t handle = glCreateShaderObjectARB ? glCreateShaderObjectARB(type) : 0;
    if (handle == 0) throw Error("KR::Shader::CreateShader", ": Can't create shader object.");
    return handle;
}

void Shader::Load(int kind, const char* source, int from_file) {
    uint32_t* shader = nullptr;
    if (kind == kVertexShader) {
        if (vertex_shader == 0) vertex_shader = CreateShader(GL_VERTEX_SHADER_ARB);
        shader = &vertex_shader;
    } else if (kind == kFragmentShader) {
        if (fragment_shader == 0) fragment_shader = CreateShader(GL_FRAGMENT_SHADER_ARB);
        shader = &fragment_shader;
    } else {
        throw Error("KR::Shader::Load", ": Wrong shader type.");
    }

    std::string text;
    if (from_file == 1)
        text = LoadTextFile(source);
    else if (source)
        text = source;
    const GLcharARB* texts[1] = {text.c_str()};
    glShaderSourceARB(*shader, 1, texts, nullptr);
    text = std::string();

    console << "Compiling " << (kind == kVertexShader ? "vertex" : "fragment") << " shader " << name
            << ".\n";
    glCompileShaderARB(*shader);
    PrintInfoLog(*shader);

    if (program == 0) program = CreateProgram();
    // Attaching an object twice is a GL error that a later error check would report; a
    // reloaded source keeps the attachment it already has.
    if (!IsAttached(program, *shader)) glAttachObjectARB(program, *shader);
}

bool Shader::Link() {
    console << "Linking " << name << " shader program:\n";
    if (program == 0) program = CreateProgram();
    glLinkProgramARB(program);
    const bool software = PrintInfoLog(program);
    console << "\n";
    GLint status = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
    return status != 0 && !software;
}

void Shader::Use() const {
    glUseProgramObjectARB(program);
}

void Shader::Destroy() {
    // Nothing was created (perhaps no shader support at all): no GL call.
    if (program == 0 && vertex_shader == 0 && fragment_shader == 0) return;
    glUseProgramObjectARB(0);
    if (program != 0) {
        GLhandleARB attached[kMaxAttached] = {};
        GLsizei count = 0;
        glGetAttachedObjectsARB(program, kMaxAttached, &count, attached);
        for (GLsizei i = 0; i < count && i < kMaxAttached; ++i)
            glDetachObjectARB(program, attached[i]);
    }
    if (fragment_shader != 0) glDeleteObjectARB(fragment_shader);
    if (vertex_shader != 0) glDeleteObjectARB(vertex_shader);
    if (program != 0) glDeleteObjectARB(program);
    fragment_shader = vertex_shader = program = 0;
}

int Shader::GetAttribLocation(const char* attribute) const {
    if (program == 0 || !attribute) return -1;
    return glGetAttribLocationARB(program, attribute);
}

int Shader::GetUniformLocation(const char* uniform) const {
    if (program == 0 || !uniform) return -1;
    return glGetUniformLocationARB(program, uniform);
}

int Shader::SetUniform1f(const char* uniform, float value) const {
    const int location = GetUniformLocation(uniform);
    if (location >= 0) glUniform1fARB(location, value);
    return location;
}

int Shader::SetUniform1i(const char* uniform, int value) const {
    const int location = GetUniformLocation(uniform);
    if (location >= 0) glUniform1iARB(location, value);
    return location;
}

int Shader::SetUniform2fv(const char* uniform, const float* values) const {
    const int location = GetUniformLocation(uniform);
    if (location >= 0 && values) glUniform2fvARB(location, 1, values);
    return location;
}

int Shader::SetUniform3fv(const char* uniform, const float* values) const {
    const int location = GetUniformLocation(uniform);
    if (location >= 0 && values) glUniform3fvARB(location, 1, values);
    return location;
}

int Shader::SetUniform4fv(const char* uniform, const float* values) const {
    const int location = GetUniformLocation(uniform);
    if (location >= 0 && values) glUniform4fvARB(location, 1, values);
    return location;
}

int Shader::SetUniformMatrix4fv(const char* uniform, const float* values, int count,
                                bool transpose) const {
    const int location = GetUniformLocation(uniform);
    if (location >= 0 && values && count > 0)
        glUniformMatrix4fvARB(location, count, transpose ? GL_TRUE : GL_FALSE, values);
    return location;
}

}  // namespace KR
