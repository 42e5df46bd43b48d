// The OpenGL side of KR::Texture: fitting to power-of-two sides, creating the texture object
// with or without mipmaps, and reading the frame buffer back.

#include <GL/glew.h>
#include <GL/glu.h>

#include <new>

#include "kr/base/error.h"
#include "kr/image/power_of_two.h"
#include "kr/image/texture.h"

namespace KR {
namespace {

uint32_t ErrorSize(size_t bytes) {
    return bytes > 0xFFFFFFFFu ? 0u : uint32_t(bytes);
}

// Scales one RGBA image; GLU answers 0 on success.
void ScaleSide(const uint8_t* in, int w, int h, uint8_t* out, int nw, int nh) {
    if (gluScaleImage(GL_RGBA, w, h, GL_UNSIGNED_BYTE, in, nw, nh, GL_UNSIGNED_BYTE, out) != 0)
        throw Error("KR::Texture::scale_to_tex", ": gluScaleImage(...)!=0 (2D)");
}

}  // namespace

namespace {

void DeleteTextureObject(uint32_t texture_name) {
    const GLuint name = texture_name;
    glDeleteTextures(1, &name);
}

}  // namespace

void Texture::delete_texture_object() {
    release_texture_object();
}

void Texture::bind() const {
    glBindTexture(target, texture_name);
}

void Texture::apply_defaults(const TextureDefaults& env) {
    format = env.format;
    wrap_s = wrap_t = wrap_r = env.wrap;
    mag_filter = env.mag_filter;
    min_filter = env.min_filter;
    if (texture_name == 0) return;
    bind();
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GLint(wrap_s));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GLint(wrap_t));
    glTexParameteri(target, GL_TEXTURE_WRAP_R, GLint(wrap_r));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GLint(mag_filter));
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GLint(min_filter));
}

void Texture::scale_to_tex(const TextureDefaults& env) {
    const int32_t nw = FitPowerOfTwo(width, env.pow2_rule, env.max_width);
    const int32_t nh = FitPowerOfTwo(height, env.pow2_rule, env.max_height);
    if (nw == width && nh == height) return;
    if (target != GL_TEXTURE_2D && target != GL_TEXTURE_CUBE_MAP)
        throw Error("KR::Texture::scale_to_tex", ": Bad texture type.");
    if (!data || width <= 0 || height <= 0) throw Error("KR::Texture::scale_to_tex", ": no data!");

    const int sides = target == GL_TEXTURE_CUBE_MAP ? kCubeSides : 1;
    const size_t new_side = size_t(nw) * size_t(nh) * 4;
    std::unique_ptr<uint8_t[]> scaled(new (std::nothrow) uint8_t[new_side * sides]);
    if (!scaled)
        throw ErrorMem("KR::Texture::scale_to_tex",
                       sides == 1 ? ": newdata=new UByte[nw*nh*4]; (2D)"
                                  : ": newdata=new UByte[nw*nh*4*6]; (cube)",
                       ErrorSize(new_side * sides));
    // Rows of 4-byte texels are always aligned, whatever the pixel store says.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (int side = 0; side < sides; ++side)
        ScaleSide(data.get() + side_bytes() * side, width, height, scaled.get() + new_side * side,
                  nw, nh);
    data = std::move(scaled);
    width = nw;
    height = nh;
}

void Texture::build_texture(const TextureDefaults& env, const uint8_t* pixels) {
    if (!pixels && !data) throw Error("KR::Texture::build_texture", ": no data!");
    const bool needs_fit =
        !IsPowerOfTwo(width) || (target != GL_TEXTURE_1D && !IsPowerOfTwo(height));
    if (needs_fit) {
        // Only the own buffer can be scaled; a buffer from outside would be read past its end.
        if (pixels)
            throw Error("KR::Texture::build_texture",
                        ": Outside buffer sides must be powers of two.");
        scale_to_tex(env);
    }
    const uint8_t* source = pixels ? pixels : data.get();

    delete_texture_object();
    object_release = DeleteTextureObject;
    GLuint name = 0;
    glGenTextures(1, &name);
    texture_name = name;
    bind();
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GLint(wrap_s));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GLint(wrap_t));
    glTexParameteri(target, GL_TEXTURE_WRAP_R, GLint(wrap_r));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GLint(mag_filter));
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GLint(min_filter));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    const GLint internal = GL_RGBA;
    switch (target) {
        case GL_TEXTURE_1D:
            if (env.build_mipmaps)
                gluBuild1DMipmaps(target, internal, width, GL_RGBA, GL_UNSIGNED_BYTE, source);
            else
                glTexImage1D(target, 0, internal, width, 0, GL_RGBA, GL_UNSIGNED_BYTE, source);
            break;
        case GL_TEXTURE_2D:
            if (env.build_mipmaps)
                gluBuild2DMipmaps(target, internal, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                                  source);
            else
                glTexImage2D(target, 0, internal, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             source);
            break;
        case GL_TEXTURE_3D:
            if (env.build_mipmaps)
                gluBuild3DMipmaps(target, internal, width, height, depth, GL_RGBA, GL_UNSIGNED_BYTE,
                                  source);
            else
                glTexImage3D(target, 0, internal, width, height, depth, 0, GL_RGBA,
                             GL_UNSIGNED_BYTE, source);
            break;
        case GL_TEXTURE_CUBE_MAP:
            for (int side = 0; side < kCubeSides; ++side) {
                const GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X + side;
                const uint8_t* texels = source + side_bytes() * side;
                if (env.build_mipmaps)
                    gluBuild2DMipmaps(face, internal, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                                      texels);
                else
                    glTexImage2D(face, 0, internal, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                                 texels);
            }
            break;
        default:
            throw Error("KR::Texture::build_texture", ": Bad texture type.");
    }
}

void Texture::get_from_buffer(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
    reset();
    target = GL_TEXTURE_2D;
    if (x1 <= x0 || y1 <= y0) throw Error("KR::Texture::get_from_buffer", ": Empty rectangle.");
    const int64_t w = int64_t(x1) - x0, h = int64_t(y1) - y0;
    const size_t bytes = size_t(w) * size_t(h) * 4;
    data.reset(new (std::nothrow) uint8_t[bytes]);
    if (!data)
        throw ErrorMem("KR::Texture::get_from_buffer", ": data=new UByte [w*h*4];",
                       ErrorSize(bytes));
    width = int32_t(w);
    height = int32_t(h);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x0, y0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, data.get());
}

}  // namespace KR
