#include "kr/gl/material.h"

#include "support/gl_test.h"

namespace {

using MaterialGL = QorTest::GLTest;

TEST_F(MaterialGL, DefaultsSettersAndApplyTouchingOnlyTheStatesOfItsFlags) {
    KR::Material m;
    EXPECT_EQ(m.face, uint32_t(GL_FRONT));
    EXPECT_EQ(m.flags, 0x7F21u);
    EXPECT_EQ(m.GetColor(KR::kMatEmission)[3], 1.0f);
    EXPECT_EQ(m.SetFace(GL_FRONT_AND_BACK, -1), 1);
    EXPECT_EQ(m.SetFace(GL_LEFT, -1), 0);
    EXPECT_EQ(m.face, uint32_t(GL_FRONT_AND_BACK));
    m.SetColor(KR::kMatAmbient | KR::kMatEmission, 0.1f, 0.2f, 0.3f, 0.4f, -1);
    EXPECT_EQ(m.GetColor(KR::kMatAmbient)[2], 0.3f);
    EXPECT_EQ(m.GetColor(KR::kMatEmission)[3], 0.4f);
    EXPECT_EQ(m.GetColor(KR::kMatDiffuse)[0], 0.7f);
    EXPECT_EQ(m.GetColor(KR::kMatAmbient | KR::kMatDiffuse), nullptr);

    // Apply touches only the states of its flags.
    m.SetColor(KR::kMatAmbient, 0.25f, 0.5f, 0.75f, 1.0f, -1);
    m.SetShininess(100.0f, -1);
    // Without the blend bit, blending stays as the drawing code left it, on or off.
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    m.Apply();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    m.Apply();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0, cull = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_ONE);
    float ambient[4] = {}, shininess = 0;
    glGetMaterialfv(GL_BACK, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(ambient[1], 0.5f);
    EXPECT_EQ(shininess, 100.0f);

    m.flags |= KR::kMatBlend | KR::kMatCullFace;
    m.SetBlendSrc(GL_DST_COLOR, -1);
    m.SetFace(GL_BACK, -1);
    glDisable(GL_BLEND);
    m.Apply();
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(src, GL_DST_COLOR);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(cull, GL_FRONT);  // a back-face material culls the front
    for (GLenum cap : {GL_CULL_FACE, GL_BLEND, GL_LIGHTING})
        glDisable(cap);
}

}  // namespace
