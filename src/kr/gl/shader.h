#pragma once
// One GLSL program built with the ARB shader-object extension: a vertex and a fragment shader
// object and the program they are linked into. Compile and link logs go to the console.

#include <cstdint>

#include "kr/gl/shader_info_log.h"
#include "kr/base/named_resource.h"

namespace KR {

enum ShaderKind : int {
    kFragmentShader = 1,
    kVertexShader = 2,
};

class Shader : public NamedResource {
  public:
    Shader() = default;
    // Loads each source given (text, or a file name when from_file is 1) and links when at
    // least one was given.
    Shader(const char* name, const char* vertex_source, const char* fragment_source, int from_file);
    ~Shader() { Destroy(); }
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    uint32_t CreateProgram();
    uint32_t CreateShader(uint32_t type);
    // kind 2: vertex, 1: fragment. Compile errors surface at Link.
    void Load(int kind, const char* source, int from_file);
    // True when the program linked and its log does not say it would run in software.
    bool Link();
    // Makes the program current (0 when there is none: fixed functionality).
    void Use() const;
    uint32_t Program() const { return program; }
    // Deletes the shader objects and the program; safe when nothing was created, and twice.
    void Destroy();

    // Locations in the program, -1 for a name it lacks (or when there is no program). Each
    // setter looks its name up on every call, sets the uniform of the current program when
    // found and answers the location.
    int GetAttribLocation(const char* name) const;
    int GetUniformLocation(const char* name) const;
    int SetUniform1f(const char* name, float value) const;
    int SetUniform1i(const char* name, int value) const;
    int SetUniform2fv(const char* name, const float* values) const;
    int SetUniform3fv(const char* name, const float* values) const;
    int SetUniform4fv(const char* name, const float* values) const;
    int SetUniformMatrix4fv(const char* name, const float* values, int count, bool transpose) const;

    uint32_t vertex_shader = 0;
    uint32_t fragment_shader = 0;
    uint32_t program = 0;
};

}  // namespace KR
