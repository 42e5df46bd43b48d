#include "kr/gl/material.h"

#include <GL/glew.h>

#include "kr/base/error.h"
#include "kr/gl/material_record.h"

namespace KR {

static_assert(Material::kRecordSize == kMaterialRecordSize);

Material::Material() {
    list = glGenLists(1);
    if (list == 0)
        throw ErrorGL("KR::Material::Material", ": Can't initalize display list !", glGetError());
    SetDefaults(-1);
}

Material::~Material() {
    glDeleteLists(list, 1);
}

void Material::Apply() const {
    glCallList(list);
}

void Material::Compile(int mask) {
    const uint32_t on = flags & uint32_t(mask);
    // The colours and the culling are addressed to the face, so a bad face drops them all.
    const bool face_ok = IsMaterialFace(face);
    glNewList(list, GL_COMPILE);
    if ((on & kMatCullFace) && face_ok) {
        if (face == GL_FRONT_AND_BACK) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glCullFace(face == GL_BACK ? GL_FRONT : GL_BACK);
        }
    }
    if ((on & kMatShadeModel) && IsMaterialShadeModel(shade_model)) glShadeModel(shade_model);
    if (face_ok) {
        if (on & kMatAmbient) glMaterialfv(face, GL_AMBIENT, ambient);
        if (on & kMatDiffuse) glMaterialfv(face, GL_DIFFUSE, diffuse);
        if (on & kMatSpecular) glMaterialfv(face, GL_SPECULAR, specular);
        if (on & kMatEmission) glMaterialfv(face, GL_EMISSION, emission);
        if ((on & kMatShininess) && IsMaterialShininess(shininess))
            glMaterialf(face, GL_SHININESS, shininess);
    }
    if (on & kMatLighting) {
        glEnable(GL_LIGHTING);
        glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, (flags & kMatTwoSided) ? 1.0f : 0.0f);
    }
    if ((on & kMatAlphaTest) && IsMaterialAlphaFunc(alpha_func)) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(alpha_func, alpha_ref);
    }
    if ((on & kMatBlend) && IsMaterialBlendSrc(blend_src) && IsMaterialBlendDst(blend_dst)) {
        glEnable(GL_BLEND);
        glBlendFunc(blend_src, blend_dst);
    }
    if ((on & kMatTexture2D) && IsMaterialTexEnvMode(tex_env_mode)) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLint(tex_env_mode));
        if (tex_env_mode == GL_BLEND) glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, env_color);
    }
    if (on & kMatDepthWrite) glDepthMask(GL_TRUE);
    glEndList();
}

void Material::SetDefaults(int mask) {
    ResetToDefaults();
    Compile(mask);
}

namespace {

// Stores value in field and recompiles when accepted.
int SetChecked(Material& m, uint32_t& field, uint32_t value, bool accepted, int mask) {
    if (!accepted) return 0;
    field = value;
    m.Compile(mask);
    return 1;
}

}  // namespace

int Material::SetFace(uint32_t value, int mask) {
    return SetChecked(*this, face, value, IsMaterialFace(value), mask);
}

int Material::SetAlphaFunc(uint32_t value, int mask) {
    return SetChecked(*this, alpha_func, value, IsMaterialAlphaFunc(value), mask);
}

int Material::SetBlendSrc(uint32_t value, int mask) {
    return SetChecked(*this, blend_src, value, IsMaterialBlendSrc(value), mask);
}

int Material::SetBlendDst(uint32_t value, int mask) {
    return SetChecked(*this, blend_dst, value, IsMaterialBlendDst(value), mask);
}

int Material::SetTexEnvMode(uint32_t value, int mask) {
    return SetChecked(*this, tex_env_mode, value, IsMaterialTexEnvMode(value), mask);
}

void Material::SetColor(uint32_t which, float r, float g, float b, float a, int mask) {
    for (uint32_t bit :
         {kMatAmbient, kMatDiffuse, kMatSpecular, kMatEmission, kMatColor, kMatEnvColor}) {
        if (!(which & bit)) continue;
        float* c = Color(bit);
        c[0] = r;
        c[1] = g;
        c[2] = b;
        c[3] = a;
    }
    Compile(mask);
}

void Material::SetShininess(float value, int mask) {
    shininess = value;
    Compile(mask);
}

void Material::save(std::FILE* file) const {
    uint8_t record[kMaterialRecordSize];
    EncodeMaterialRecord(*this, record);
    if (std::fwrite(record, 1, sizeof record, file) != sizeof record)
        throw ErrorFile("KR::Material::save", ": errno!=0");
}

void Material::load(std::FILE* file, int mask) {
    uint8_t record[kMaterialRecordSize];
    if (std::fread(record, 1, sizeof record, file) != sizeof record)
        throw ErrorFile("KR::Material::load", ": errno!=0");
    DecodeMaterialRecord(record, *this);
    Compile(mask);
}

}  // namespace KR
