#pragma once
// The graphics environment: the named textures, materials and shader programs, the table of
// texture and material parameters and the book of OpenGL light slots. One global instance
// lives for the whole run; init() runs once the OpenGL context exists.

#include <cstdint>
#include <memory>

#include "kr/gl/material.h"
#include "kr/gl/shader.h"
#include "kr/base/name_lib.h"
#include "kr/image/texture.h"

namespace KR {

// Indices of the parameter table.
enum EnvironmentParam : int {
    kParamFormat = 0,
    kParamMaxWidth = 10,
    kParamMaxHeight = 11,
    kParamWrap = 12,
    kParamMagFilter = 13,
    kParamMinFilter = 14,
    kParamTexEnvMode = 15,
    kParamBuildMipmaps = 16,
    kParamFitMode = 20,
    kParamFitWidth = 21,
    kParamFitHeight = 22,
    kParamTransparentIndex = 30,
    kParamMaterialMask = 31,
};

// Options of load_texture.
enum TextureLoadFlags : int {
    kTextureBuild = 1,  // create the OpenGL texture
    kTextureScale = 2,  // scale the sides to powers of two
};

class Environment {
  public:
    static constexpr int kParamCount = 50;
    static constexpr int kSettableParams = 32;

    Environment();
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // Sets the parameter defaults, the pixel alignments and the light book. Needs a context.
    void init();
    // Destroys every texture, material and shader program and empties the libraries; the
    // OpenGL objects go with them, so the context must still be current.
    void release();

    // Answers 1 when the value is stored, 0 when the index or the value is refused.
    int SetParam(int index, int value);
    int GetParam(int index) const { return params[index]; }
    // The parameters the texture readers and builders take, as one value.
    TextureDefaults texture_defaults() const;

    // The first free light (marked in use) or -1.
    int AllocLight();
    // -1 for an index outside the book, else marks the light free and answers 1.
    int FreeLight(int index);

    // Adds a texture named name (or after the file), loads the image (type is the texture
    // target), takes the environment's defaults and, with the flags, scales and builds it.
    Texture* load_texture(uint32_t type, const char* file, const char* name, int flags);
    // Adds a material named name (or after the file) and loads one bare record into it.
    Material* load_material(const char* file, const char* name);
    // Adds a shader program to the library, loads both sources and links it; raises
    // ":  Link failed!" when linking fails (the program stays in the library).
    Shader* load_shader(const char* name, const char* vertex_file, const char* fragment_file,
                        int from_file);
    void clear_shaders() { shaders.clear(); }

    // The material library file ("ML01"): every material of the library, in order.
    void save_mat_lib(const char* file);
    void load_mat_lib(const char* file);

    int32_t params[kParamCount] = {};
    std::unique_ptr<uint8_t[]> lights;
    int32_t light_count = 0;

    NameLib<Texture> textures{"class KR::Texture"};
    NameLib<Material> materials{"class KR::Material"};
    NameLib<Shader> shaders{"class KR::Shader"};
};

// The program's environment.
extern Environment environment;

// Whether v is a power of two by the environment's test (0 is not).
bool IsEnvPowerOfTwo(int32_t v);

}  // namespace KR
