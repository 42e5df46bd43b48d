// Scene files: the exact text, the round trip, and files that must not harm the running scene.

#include "terrain/scene_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <sstream>
#include <tuple>

#include "kr/base/error.h"
#include "support/test_files.h"
#include "terrain/app_settings.h"
#include "terrain/grid_fixtures.h"
#include "terrain/scene_reading.h"
#include "terrain/terrain.h"

namespace {

using QorTest::scene;

// The text with the nth appearance of from replaced by to.
std::string Replace(std::string text, const std::string& from, const std::string& to,
                    size_t nth = 0) {
    size_t at = text.find(from);
    while (nth-- > 0 && at != std::string::npos)
        at = text.find(from, at + 1);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string Text(scene& sc) {
    std::ostringstream out;
    WriteScene(out, sc.t, sc.s, sc.d);
    return out.str();
}

TEST(SceneFile, TextIsWrittenExactly) {
    scene sc(1, 1, 12.3456789f);
    sc.t.sun = KR::Vector4(-45, 50, 80, 0);
    sc.t.view = KR::Vector4(0, 70, 140, 5);
    sc.t.view_pos = KR::Vector4(0.5f, 0.5f, 3, 0);
    sc.t.clusters[0].read_field->Flow(3)[sc.t.clusters[0].read_field->Index(1, 1)] = 1e-7f;
    EXPECT_EQ(Text(sc),
              "<?xml version=\"1.0\" encoding=\"CP1250\"?>\n"
              "<terrain clusters=\"1\">\n"
              "  <sun x=\"-45\" y=\"50\" z=\"80\" />\n"
              "  <view x=\"0\" y=\"70\" z=\"140\" />\n"
              "  <view_pos x=\"0.5\" y=\"0.5\" />\n"
              "  <state mode=\"0\" stop_rain=\"0\" stop_erosion=\"1\" stop_water=\"0\" "
              "stop_water_shader=\"0\" auto_rotate=\"0\" water_color=\"3025\" use_shaders=\"1\" "
              "aquarium=\"0\" z_aquarium=\"40\" rain_type=\"1\" rain_multiplier=\"0.001\" "
              "water_density=\"2\" water_min_depth=\"0.05\" randomness=\"0\" timescale=\"1\" "
              "animation_time=\"0\" show_box=\"0\" show_terrain=\"1\" show_water=\"1\" "
              "show_sky=\"1\" show_shadows=\"0\" show_debug=\"0\" />\n"
              "  <cluster x=\"1\" y=\"1\" start_x=\"0\" end_x=\"1\" start_y=\"0\" end_y=\"1\">\n"
              "  <row>\n"
              "    <v><t z=\"12.3457\"/><w z=\"0\"><s s0=\"0\" s1=\"0\" s2=\"0\" s3=\"1e-07\" "
              "s4=\"0\" s5=\"0\" s6=\"0\" s7=\"0\"/></w></v>\n"
              "  </row>\n"
              "  </cluster>\n"
              "</terrain>\n");
}

TEST(SceneFile, RoundTripKeepsSixDigitsAndSavesTheSameBytesAgain) {
    scene a(37, 23, QorTest::Landscape(37, 23, 5));
    a.s.stop_erosion = 0;
    for (int i = 0; i < 20; ++i) {
        a.t.Simulate();
        a.t.UpdateBuffers();
    }
    a.s.mode = 9;  // no clamping on loading
    a.d.show_debug = 5;
    const std::string first = QorTest::ScratchFile("first.qor");
    SaveScene(first.c_str(), a.t, a.s, a.d);

    scene b;
    b.t.view_pos = KR::Vector4(1, 1, 0, 0);
    b.t.AddBall();  // objects are not part of a scene and stay
    LoadScene(first.c_str(), b.t, b.s, b.d);
    EXPECT_EQ(std::make_tuple(b.s.mode, b.s.stop_erosion, b.d.show_debug, b.t.ready, b.t.extent.x,
                              b.t.extent.y, b.t.ObjectCount()),
              std::make_tuple(9, 0, 5u, 1u, 37.0f, 23.0f, 1));
    const vertex_2d_field& fa = *a.t.clusters[0].read_field;
    const vertex_2d_field& fb = *b.t.clusters[0].read_field;
    auto close = [](float x, float y) {
        return std::fabs(x - y) <= 5e-6f * std::max(1.0f, std::fabs(x));
    };
    for (int y = 1; y <= 23; ++y)
        for (int x = 1; x <= 37; ++x) {
            ASSERT_TRUE(close(fa.GetTerrain(x, y), fb.GetTerrain(x, y))) << x << "," << y;
            ASSERT_TRUE(close(fa.GetWater(x, y), fb.GetWater(x, y))) << x << "," << y;
            for (int k = 0; k < 8; ++k)
                ASSERT_TRUE(close(fa.GetFlow(x, y, k), fb.GetFlow(x, y, k)));
            // Both fields hold the loaded state, and the border mirrors it.
            ASSERT_EQ(b.t.clusters[0].write_field->GetTerrain(x, y), fb.GetTerrain(x, y));
        }
    EXPECT_EQ(fb.GetTerrain(0, 5), fb.GetTerrain(1, 5));
    // The loaded scene runs and draws.
    b.t.Simulate();
    b.t.UpdateBuffers();
    EXPECT_LT(b.t.box_min, b.t.box_max);

    const std::string second = QorTest::ScratchFile("second.qor");
    scene c;
    LoadScene(first.c_str(), c.t, c.s, c.d);
    SaveScene(second.c_str(), c.t, c.s, c.d);
    EXPECT_EQ(QorTest::ReadBytes(first), QorTest::ReadBytes(second));
}

// A scene that must survive a bad file: 4 x 3 at known heights, mode 2.
class BadSceneFile : public ::testing::Test {
  protected:
    void SetUp() override {
        sc.s.mode = 2;
        good = Text(sc);
    }
    void ExpectRefused(const std::string& file, const char* what) {
        SCOPED_TRACE(what);
        try {
            LoadScene(file.c_str(), sc.t, sc.s, sc.d);
            ADD_FAILURE() << "loaded";
        } catch (const KR::Error& e) {
            EXPECT_EQ(e.Message(), ": File structure error! Can't continue.");
        }
        EXPECT_EQ(sc.s.mode, 2);
        EXPECT_EQ(sc.t.clusters[0].read_field->Width(), 6);
        EXPECT_EQ(sc.t.clusters[0].read_field->GetTerrain(2, 2), 4.0f);
        EXPECT_EQ(sc.t.ready, 1u);
    }

    scene sc{4, 3, 4.0f};
    std::string good;
};

TEST_F(BadSceneFile, RefusedWholeAndTheRunningSceneStays) {
    std::string empty = good;  // every vertex empty: refused while the rows are counted
    for (size_t at; (at = empty.find("<v><t")) != std::string::npos;)
        empty.replace(at, empty.find("</v>", at) + 4 - at, "<v/>");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"cut in the middle", good.substr(0, good.size() / 2)},
        {"another root", Replace(good, "<terrain", "<landscape")},
        {"fewer clusters than said", Replace(good, "clusters=\"1\"", "clusters=\"2\"")},
        {"negative count", Replace(good, "clusters=\"1\"", "clusters=\"-1\"")},
        {"absurd size", Replace(good, " x=\"4\"", " x=\"2000000000\"")},
        {"a row missing", Replace(good, " y=\"3\"", " y=\"4\"")},
        {"height missing", Replace(good, "<v><t z=\"4\"/>", "<v><t/>")},
        {"not a number", Replace(good, "z=\"4\"", "z=\"high\"")},
        {"a flow missing", Replace(good, " s7=\"0\"", "")},
        {"a flow without a value", Replace(good, " s7=\"0\"", " s7")},
        {"empty vertices", empty},
        {"bad setting", Replace(good, "timescale=\"1\"", "timescale=\"x\"")},
        {"no sun", Replace(good, "<sun x", "<moon x")}};
    const std::string file = QorTest::ScratchFile("bad.qor");
    for (const auto& [what, text] : cases) {
        QorTest::WriteBytes(file, text);
        ExpectRefused(file, what);
    }
    ExpectRefused(QorTest::ScratchFile("no-such-file.qor"), "no file");
}

// Flows are taken by position, names ignore case, and negative water is taken as none.
TEST_F(BadSceneFile, FlowsAreTakenByPositionAndNamesIgnoreCase) {
    std::string text = Replace(good, "s0=\"0\" s1=\"0\"", "a=\"0.5\" b=\"0.25\"");
    text = Replace(text, "<w z=\"6\"", "<w z=\"-6\"");
    text = Replace(text, "<cluster", "<CLUSTER");
    text = Replace(text, "</cluster>", "</CLUSTER>");
    const std::string file = QorTest::ScratchFile("renamed.qor");
    QorTest::WriteBytes(file, text);
    scene b;
    LoadScene(file.c_str(), b.t, b.s, b.d);
    const vertex_2d_field& f = *b.t.clusters[0].read_field;
    EXPECT_EQ(
        std::make_tuple(f.GetFlow(1, 1, 0), f.GetFlow(1, 1, 1), f.GetWater(1, 1), f.GetWater(2, 1)),
        std::make_tuple(0.5f, 0.25f, 0.0f, 6.0f));
}

// The fast reader takes the files this program writes, on two threads, to the general reader's
// bits; whatever else it meets it leaves to the general reader.
TEST(SceneFile, FastReaderTakesOnlyWhatTheTreeReaderReadsTheSame) {
    scene a(21, 70, QorTest::Landscape(21, 70, 3));
    for (int i = 0; i < 5; ++i)
        a.t.Simulate();
    const std::string good = Text(a);
    std::string crlf;
    for (const char c : good)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const struct {
        const char* what;
        std::string text;
        bool fast;
    } cases[] = {
        {"as written", good, true},
        {"CRLF", crlf, true},
        {"byte-order mark", "\xEF\xBB\xBF" + good, true},
        {"negative water", Replace(good, "<w z=\"", "<w z=\"-", 40), true},
        {"comment between vertices", Replace(good, "</v>", "</v><!-- x -->", 500), false},
        {"blank inside a number", Replace(good, "<t z=\"", "<t z=\" ", 7), false},
        {"junk after a number", Replace(good, "\"/><w", "x\"/><w", 900), false},
        {"entity in a number", Replace(good, "<t z=\"", "<t z=\"&#52;", 3), false},
        {"flows swapped", Replace(good, " s0=", " s9=", 11), false},
        {"upper-case vertex", Replace(good, "<v>", "<V>", 20), false},
        {"extra vertex",
         Replace(good, "</row>",
                 "<v><t z=\"1\"/><w z=\"1\"><s s0=\"1\" s1=\"1\" s2=\"1\" s3=\"1\" s4=\"1\" "
                 "s5=\"1\" s6=\"1\" s7=\"1\"/></w></v></row>",
                 35),
         false},
        {"a row more", Replace(good, "</cluster>", "<row></row></cluster>"), false},
        {"junk at the end", good + "<x/>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = QorTest::ScratchFile("readers.qor");
        QorTest::WriteBytes(file, c.text);
        scene_load_times times;
        loaded_scene fast(a.s, a.d), tree(a.s, a.d);
        const bool taken = ReadPlainScene(file.c_str(), fast, times);
        EXPECT_EQ(taken, c.fast);
        if (!taken) continue;
        ReadSceneTree(file.c_str(), tree, times);
        ASSERT_EQ(fast.count, tree.count);
        EXPECT_EQ(std::memcmp(&fast.s, &tree.s, sizeof fast.s), 0);
        const vertex_2d_field &f = *fast.clusters[0].read_field, &g = *tree.clusters[0].read_field;
        ASSERT_EQ(f.Width(), g.Width());
        ASSERT_EQ(f.Height(), g.Height());
        for (int k = 0; k < 10; ++k)  // ground, water and the flows, row by row
            for (int y = 0; y < f.Height(); ++y) {
                auto row = [k, y](const vertex_2d_field& p) {
                    return (k < 2 ? (k ? p.Water() : p.Terrain()) : p.Flow(k - 2)) + p.Index(0, y);
                };
                ASSERT_EQ(std::memcmp(row(f), row(g), f.Width() * sizeof(float)), 0)
                    << "plane " << k << ", row " << y;
            }
    }
}

TEST(SceneFile, SaveThatCannotWriteSaysSoAndLeavesNoFile) {
    scene sc;
    // No grid yet (an import cancelled at start): nothing that could be loaded again is written.
    const std::string empty = QorTest::ScratchFile("empty.qor");
    EXPECT_THROW(SaveScene(empty.c_str(), sc.t, sc.s, sc.d), KR::ErrorFile);
    EXPECT_FALSE(std::filesystem::exists(empty));
    sc.t.BuildFromHeights(std::vector<float>{1.0f}.data(), 1, 1);
    EXPECT_THROW(SaveScene("/nonexistent-folder/a.qor", sc.t, sc.s, sc.d), KR::ErrorFile);
    // A folder or a device in the way is never replaced.
    const std::string folder = QorTest::ScratchFile("in-the-way.qor");
    std::filesystem::create_directories(folder + "/x");
    EXPECT_THROW(SaveScene(folder.c_str(), sc.t, sc.s, sc.d), KR::ErrorFile);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(std::filesystem::exists(folder + ".saving"));
    EXPECT_THROW(SaveScene("/dev/null", sc.t, sc.s, sc.d), KR::ErrorFile);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

// A save failing part way (the file-size limit, in a child) says so and keeps the old file.
TEST(SceneFile, SaveThatFailsPartWayKeepsTheOldFile) {
    scene sc(40, 40, QorTest::Landscape(40, 40, 5));  // some 240 kB of text
    const std::string file = QorTest::ScratchFile("kept.qor");
    SaveScene(file.c_str(), sc.t, sc.s, sc.d);
    const std::string old = QorTest::ReadBytes(file);
    sc.t.RaiseBrush(5.0f);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Writes beyond 64 kB fail instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 << 10, 64 << 10};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveScene(file.c_str(), sc.t, sc.s, sc.d);
        } catch (const KR::ErrorFile& error) {
            _exit(std::string(error.what()).find("Can't write the file!") != std::string::npos ? 0
                                                                                               : 2);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "exit " << WEXITSTATUS(status) << " (1: no error raised, 2: another error)";
    EXPECT_TRUE(QorTest::ReadBytes(file) == old);
    EXPECT_FALSE(std::filesystem::exists(file + ".saving"));
}

TEST(TerrainFiles, SaveAndLoadAskForNames) {
    scene sc(4, 4, 3.0f);
    QorTest::ScriptedNames names;
    sc.t.file_names = &names;

    sc.t.Save();  // cancelled: nothing written
    ASSERT_EQ(names.asked.size(), 1u);
    std::string dialog = names.asked[0].title;
    for (const file_filter& f : names.asked[0].filters)
        dialog += "|" + f.label + "|" + f.pattern;
    EXPECT_EQ(dialog, "Save|Scene file (*.qor)|*.qor|All Files (*.*)       |*.*");
    EXPECT_EQ(names.offered, "save.qor");
    EXPECT_FALSE(names.asked[0].must_exist);

    names.answer = QorTest::ScratchFile("command.qor");
    sc.t.Save();
    scene other;
    other.t.file_names = &names;
    other.t.Load();
    EXPECT_TRUE(names.asked.back().title == "Load" && names.asked.back().must_exist);
    EXPECT_EQ(other.t.clusters[0].read_field->GetTerrain(4, 4), 3.0f);
}

}  // namespace
