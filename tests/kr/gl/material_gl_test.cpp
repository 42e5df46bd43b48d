#include <GL/glew.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "kr/base/error.h"
#include "kr/gl/environment.h"
#include "kr/gl/material.h"
#include "kr/gl/material_record.h"
#include "kr/test_files.h"
#include "support/gl_test.h"

namespace {

using qor_test::ReadBytes;
using qor_test::ScratchFile;
using qor_test::WriteBytes;

std::string LibraryHeader(uint32_t count) {
    return std::string("ML01\0\0\0\0\0\0", 10) + std::string(reinterpret_cast<char*>(&count), 4);
}

// A default record of that name, changed by `change`.
std::string Record(const char* name, void (*change)(KR::MaterialFields&) = nullptr) {
    KR::MaterialFields fields;
    fields.ResetToDefaults();
    fields.SetName(name);
    if (change) change(fields);
    uint8_t record[KR::kMaterialRecordSize];
    KR::EncodeMaterialRecord(fields, record);
    return std::string(reinterpret_cast<const char*>(record), sizeof record);
}

// The message of the KR::ErrorFile that call raises, or "" when it raises none.
template <class F>
std::string FileErrorOf(F call, std::string* file = nullptr) {
    try {
        call();
    } catch (const KR::ErrorFile& error) {
        if (file) *file = error.file;
        return error.Message();
    }
    return "";
}

class MaterialGL : public QorTest::GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        if (!IsSkipped()) env.init();
    }
    void TearDown() override {
        if (!IsSkipped()) env.release();
        GLTest::TearDown();
    }
    KR::Environment env;
};

TEST_F(MaterialGL, SettersTakeOnlyTheirAcceptedValues) {
    KR::Material m;
    const struct {
        int (KR::Material::*set)(uint32_t, int);
        uint32_t KR::MaterialFields::*field;
        uint32_t accepted, refused;
    } setters[] = {
        {&KR::Material::SetFace, &KR::MaterialFields::face, GL_FRONT_AND_BACK, GL_LEFT},
        {&KR::Material::SetAlphaFunc, &KR::MaterialFields::alpha_func, GL_LEQUAL, GL_NEVER - 1},
        {&KR::Material::SetBlendSrc, &KR::MaterialFields::blend_src, GL_SRC_ALPHA_SATURATE,
         GL_SRC_COLOR},
        {&KR::Material::SetBlendDst, &KR::MaterialFields::blend_dst, GL_SRC_COLOR,
         GL_SRC_ALPHA_SATURATE},
        {&KR::Material::SetTexEnvMode, &KR::MaterialFields::tex_env_mode, GL_BLEND, GL_ADD},
    };
    for (const auto& s : setters) {
        EXPECT_EQ((m.*s.set)(s.accepted, -1), 1) << s.accepted;
        EXPECT_EQ((m.*s.set)(s.refused, -1), 0) << s.refused;
        EXPECT_EQ(m.*s.field, s.accepted);
    }
    m.SetColor(KR::kMatAmbient | KR::kMatEmission, 0.1f, 0.2f, 0.3f, 0.4f, -1);
    EXPECT_EQ(m.GetColor(KR::kMatAmbient)[2], 0.3f);
    EXPECT_EQ(m.GetColor(KR::kMatEmission)[3], 0.4f);
    EXPECT_EQ(m.GetColor(KR::kMatDiffuse)[0], 0.7f);
    EXPECT_EQ(m.GetColor(KR::kMatAmbient | KR::kMatDiffuse), nullptr);
    m.SetDefaults(-1);
    EXPECT_EQ(m.face, uint32_t(GL_FRONT));
    EXPECT_EQ(m.GetColor(KR::kMatEmission)[3], 1.0f);
    EXPECT_EQ(m.flags, 0x7F21u);
}

TEST_F(MaterialGL, ApplyTouchesOnlyTheStatesOfItsFlagsAndMask) {
    KR::Material m;
    // Without the blend bit, blending stays as the drawing code left it, on or off.
    glDisable(GL_BLEND);
    m.Apply();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    m.Apply();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0, cull = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    EXPECT_EQ(src, GL_ONE);

    m.flags |= KR::kMatBlend | KR::kMatCullFace;
    m.SetBlendSrc(GL_DST_COLOR, -1);
    m.SetFace(GL_BACK, -1);
    m.SetColor(KR::kMatAmbient, 0.25f, 0.5f, 0.75f, 1.0f, -1);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    m.Apply();
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(src, GL_DST_COLOR);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(cull, GL_FRONT);  // a back-face material culls the front
    float ambient[4] = {};
    glGetMaterialfv(GL_BACK, GL_AMBIENT, ambient);
    EXPECT_EQ(ambient[1], 0.5f);

    // A mask leaves out what it does not name; mask 0 emits nothing at all.
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    m.Compile(KR::kMatLighting);
    m.Apply();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    m.Compile(0);
    m.Apply();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_CULL_FACE));
}

TEST_F(MaterialGL, LibraryRoundTripIsByteExact) {
    const std::string empty = ScratchFile("empty.ml");
    env.save_mat_lib(empty.c_str());
    EXPECT_EQ(ReadBytes(empty), LibraryHeader(0));

    const char* names[] = {"Terrain", "Water", "Glass"};
    for (int i = 0; i < 3; ++i) {
        KR::Material* m = env.materials.add(names[i]);
        m->SetShininess(float(20 * i), -1);
        m->SetColor(KR::kMatEnvColor, 0.1f * float(i), 0.2f, 0.3f, 0.4f, -1);
        m->flags ^= uint32_t(i) << 3;
        m->reserved[0] = uint8_t(0xA0 + i);
        m->reserved[59] = uint8_t(0xB0 + i);
    }
    const std::string first = ScratchFile("first.ml"), second = ScratchFile("second.ml");
    env.save_mat_lib(first.c_str());
    const std::string bytes = ReadBytes(first);
    ASSERT_EQ(bytes.size(), 14u + 3 * 224);
    EXPECT_EQ(bytes.substr(0, 14), LibraryHeader(3));
    EXPECT_FALSE(std::filesystem::exists(first + ".saving"));

    KR::Environment fresh;
    fresh.init();
    fresh.load_mat_lib(first.c_str());
    ASSERT_EQ(fresh.materials.Count(), 3);
    KR::Material* m = fresh.materials.First();
    for (int i = 0; i < 3; ++i, m = fresh.materials.Next()) {
        EXPECT_STREQ(m->name, names[i]);
        EXPECT_EQ(m->GetShininess(), float(20 * i));
        EXPECT_EQ(m->reserved[59], 0xB0 + i);
    }
    fresh.save_mat_lib(second.c_str());
    EXPECT_EQ(ReadBytes(second), bytes);
    // Loading appends, names may repeat.
    fresh.load_mat_lib(first.c_str());
    EXPECT_EQ(fresh.materials.Count(), 6);
    fresh.release();
}

TEST_F(MaterialGL, ReadersRefuseBadFilesAndAddNothing) {
    const std::string record = Record("One");
    const std::string dir = ScratchFile("refused");
    std::filesystem::create_directories(dir);
    auto load = [&](const std::string& name, const std::string& bytes) {
        WriteBytes(dir + "/" + name, bytes);
        return FileErrorOf([&] { env.load_mat_lib((dir + "/" + name).c_str()); });
    };
    const std::string place = "KR::Environment::load_mat_lib";
    std::string other = LibraryHeader(1) + record;
    other[3] = '2';
    EXPECT_EQ(load("other.ml", other), place + ": Unknow file format.");
    EXPECT_EQ(load("tiny.ml", "ML0"), place + ": Unknow file format.");
    EXPECT_EQ(load("no_count.ml", LibraryHeader(1).substr(0, 12)), place + ": Read error.");
    EXPECT_EQ(load("short.ml", LibraryHeader(2) + record + record.substr(0, 100)),
              place + ": Read error.");
    EXPECT_EQ(load("hostile.ml", LibraryHeader(0xFFFFFFFFu) + record), place + ": Read error.");
    EXPECT_EQ(env.materials.Count(), 0);

    std::string file;
    const std::string missing = dir + "/missing.ml";
    EXPECT_EQ(FileErrorOf([&] { env.load_mat_lib(missing.c_str()); }, &file),
              place + ": Can't open file.");
    EXPECT_EQ(file, missing);
    EXPECT_EQ(FileErrorOf([&] { env.load_mat_lib(dir.c_str()); }), place + ": Can't open file.");
    EXPECT_EQ(FileErrorOf([&] { env.load_material(missing.c_str(), "x"); }, &file),
              "KR::Environment::load_material");
    EXPECT_EQ(file, missing);
    const std::string cut = dir + "/cut.mat";
    WriteBytes(cut, record.substr(0, 223));
    EXPECT_EQ(FileErrorOf([&] { env.load_material(cut.c_str(), "x"); }),
              "KR::Material::load: errno!=0");
    EXPECT_EQ(env.materials.Count(), 0);

    // Trailing bytes after the counted records are left alone.
    EXPECT_EQ(load("trailing.ml", LibraryHeader(1) + record + "x"), "");
    EXPECT_EQ(env.materials.Count(), 1);
}

// GLTest's tear-down fails on any GL error the lists raise.
TEST_F(MaterialGL, SingleRecordsKeepValuesOpenGLWouldRefuseButDoNotCompileThem) {
    const std::string odd = ScratchFile("odd.mat"), stone = ScratchFile("stone.mat");
    WriteBytes(odd, Record("odd", [](KR::MaterialFields& f) {
                   f.flags = 0x7FFF;
                   f.face = 12345;
                   f.alpha_func = 1;
                   f.blend_src = GL_SRC_COLOR;
                   f.tex_env_mode = GL_ADD;
                   f.shade_model = 7;
                   f.shininess = 500.0f;
               }));
    WriteBytes(stone, Record("Stone"));
    KR::Material* m = env.load_material(odd.c_str(), "odd");
    EXPECT_EQ(m->face, 12345u);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    m->Apply();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));  // the valid states still apply
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // The shininess has no check when set, so it is the list that must stay clean.
    m->SetFace(GL_FRONT, -1);
    m->SetShininess(200.0f, -1);
    m->Apply();

    // Under the environment's mask 0 a record emits nothing; it keeps its own name.
    ASSERT_EQ(env.SetParam(KR::kParamMaterialMask, 0), 1);
    KR::Material* plain = env.load_material(stone.c_str(), nullptr);
    EXPECT_STREQ(plain->name, "Stone");
    EXPECT_EQ(env.materials.Count(), 2);
    glDisable(GL_LIGHTING);
    plain->Apply();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    for (GLenum cap : {GL_CULL_FACE, GL_TEXTURE_2D, GL_BLEND})
        glDisable(cap);
    glDepthMask(GL_TRUE);
}

TEST_F(MaterialGL, FailedSaveLeavesTheOldFileWhole) {
    const std::string place = "KR::Environment::save_mat_lib";
    const std::string dir = ScratchFile("saves");
    std::filesystem::create_directories(dir + "/folder");
    std::string file;
    EXPECT_EQ(FileErrorOf([&] { env.save_mat_lib((dir + "/folder").c_str()); }, &file),
              place + "Can't open file.");
    EXPECT_EQ(file, dir + "/folder");
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/folder"));
    EXPECT_EQ(FileErrorOf([&] { env.save_mat_lib((dir + "/none/x.ml").c_str()); }),
              place + "Can't open file.");

    const std::string target = dir + "/lib.ml";
    env.save_mat_lib(target.c_str());
    for (int i = 0; i < 3; ++i)
        env.materials.add("big");
    // Writes beyond 100 bytes fail with EFBIG.
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit limit = old_limit;
    limit.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &limit);
    file = FileErrorOf([&] { env.save_mat_lib(target.c_str()); });
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(file, place + ": Write error.");
    EXPECT_EQ(ReadBytes(target), LibraryHeader(0));
    EXPECT_FALSE(std::filesystem::exists(target + ".saving"));
}

}  // namespace
