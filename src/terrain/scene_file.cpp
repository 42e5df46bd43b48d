#include "terrain/scene_file.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string>

#include "kr/base/error.h"
#include "kr/base/replacing_file.h"
#include "terrain/scene_reading.h"
#include "terrain/terrain.h"

namespace {

// ---- writing

// Text written in large pieces; numbers in the stream's default form (6 significant digits).
class scene_text {
  public:
    template <class Flush>
    explicit scene_text(Flush flush) : flush(flush) {
        text.reserve(kChunk + 4096);
    }

    scene_text& operator<<(const char* s) {
        text += s;
        return *this;
    }
    scene_text& operator<<(float value) {
        char buffer[32];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
        text.append(buffer, result.ptr);
        return *this;
    }
    scene_text& operator<<(long long value) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.append(buffer, result.ptr);
        return *this;
    }
    scene_text& operator<<(int value) { return *this << static_cast<long long>(value); }
    scene_text& operator<<(unsigned value) { return *this << static_cast<long long>(value); }

    // Attribute: a blank, the name, an equals sign and the value in double quotes.
    template <class T>
    scene_text& Attribute(const char* name, T value) {
        return *this << " " << name << "=\"" << value << "\"";
    }

    void Flush(bool always) {
        if (!always && text.size() < kChunk) return;
        flush(text);
        text.clear();
    }

  private:
    static constexpr size_t kChunk = 1 << 20;
    std::function<void(const std::string&)> flush;
    std::string text;
};

void WriteVertex(scene_text& out, const vertex_2d_field& f, int x, int y) {
    out << "    <v><t z=\"" << f.GetTerrain(x, y) << "\"/><w z=\"" << f.GetWater(x, y) << "\"><s";
    static const char* const names[8] = {"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7"};
    for (int k = 0; k < 8; ++k)
        out.Attribute(names[k], f.GetFlow(x, y, k));
    out << "/></w></v>\n";
}

void Write(scene_text& out, const terrain& t, const simulation_settings& s,
           const display_settings& d) {
    out << "<?xml version=\"1.0\" encoding=\"CP1250\"?>\n";
    out << "<terrain";
    out.Attribute("clusters", t.cluster_count) << ">\n";
    out << "  <sun";
    out.Attribute("x", t.sun.x).Attribute("y", t.sun.y).Attribute("z", t.sun.z) << " />\n";
    out << "  <view";
    out.Attribute("x", t.view.x).Attribute("y", t.view.y).Attribute("z", t.view.z) << " />\n";
    out << "  <view_pos";
    out.Attribute("x", t.view_pos.x).Attribute("y", t.view_pos.y) << " />\n";
    out << "  <state";
    out.Attribute("mode", s.mode)
            .Attribute("stop_rain", s.stop_rain)
            .Attribute("stop_erosion", s.stop_erosion)
            .Attribute("stop_water", s.stop_water)
            .Attribute("stop_water_shader", s.stop_water_shader)
            .Attribute("auto_rotate", s.auto_rotate)
            .Attribute("water_color", d.water_color)
            .Attribute("use_shaders", d.use_shaders)
            .Attribute("aquarium", s.aquarium)
            .Attribute("z_aquarium", s.z_aquarium)
            .Attribute("rain_type", s.rain_type)
            .Attribute("rain_multiplier", s.rain_multiplier)
            .Attribute("water_density", s.water_density)
            .Attribute("water_min_depth", s.water_min_depth)
            .Attribute("randomness", s.randomness)
            .Attribute("timescale", s.timescale)
            .Attribute("animation_time", s.animation_time)
            .Attribute("show_box", d.show_box)
            .Attribute("show_terrain", d.show_terrain)
            .Attribute("show_water", d.show_water)
            .Attribute("show_sky", d.show_sky)
            .Attribute("show_shadows", d.show_shadows)
            .Attribute("show_debug", d.show_debug)
        << " />\n";
    for (unsigned k = 0; k < t.cluster_count; ++k) {
        const cluster& c = t.clusters[k];
        const vertex_2d_field& f = *c.read_field;
        const int columns = f.Width() - 2, rows = f.Height() - 2;
        out << "  <cluster";
        out.Attribute("x", columns)
                .Attribute("y", rows)
                .Attribute("start_x", c.start.x)
                .Attribute("end_x", c.end.x)
                .Attribute("start_y", c.start.y)
                .Attribute("end_y", c.end.y)
            << ">\n";
        for (int y = 1; y <= rows; ++y) {
            out << "  <row>\n";
            for (int x = 1; x <= columns; ++x)
                WriteVertex(out, f, x, y);
            out << "  </row>\n";
            out.Flush(false);
        }
        out << "  </cluster>\n";
    }
    out << "</terrain>\n";
    out.Flush(true);
}

}  // namespace

void WriteScene(std::ostream& out, const terrain& t, const simulation_settings& s,
                const display_settings& d) {
    scene_text text([&out](const std::string& piece) {
        out.write(piece.data(), std::streamsize(piece.size()));
    });
    Write(text, t, s, d);
}

void SaveScene(const char* file_name, const terrain& t, const simulation_settings& s,
               const display_settings& d) {
    // A scene without a grid could not be loaded again: refuse it rather than write it.
    if (t.cluster_count == 0)
        throw KR::ErrorFile("terrain::Save", ": No terrain to save!", file_name);
    // Written beside the target first, so that a failed save leaves the old file whole; only a
    // regular file is replaced, never a folder or a device.
    KR::ReplacingFile file(file_name, "terrain::Save");
    scene_text text([&file](const std::string& piece) { file.Write(piece.data(), piece.size()); });
    Write(text, t, s, d);
    file.Commit();
}

void LoadScene(const char* file_name, terrain& t, simulation_settings& s, display_settings& d,
               scene_load_times* times) {
    scene_load_times spent;
    const auto start = load_clock::now();
    loaded_scene scene(s, d);
    if (!ReadPlainScene(file_name, scene, spent)) {
        spent = {};
        scene = loaded_scene(s, d);
        ReadSceneTree(file_name, scene, spent);
    }
    const int count = scene.count;
    // The draw buffers come after the text is gone, which keeps the peak of memory low.
    for (int k = 0; k < count; ++k)
        scene.clusters[k].AllocateDrawBuffers();
    // Everything is read: replace the scene.
    t.clusters = std::move(scene.clusters);
    t.cluster_count = unsigned(count);
    t.sun = scene.sun;
    t.view = scene.view;
    t.view_pos = scene.view_pos;
    s = scene.s;
    d = scene.d;
    // The terrain spans what was loaded, so queries and the camera cover the whole grid.
    t.extent = KR::Vector2(0, 0);
    for (int k = 0; k < count; ++k) {
        t.extent.x = std::max(t.extent.x, t.clusters[k].end.x);
        t.extent.y = std::max(t.extent.y, t.clusters[k].end.y);
    }
    t.z_min = 1e30f;
    t.z_max = -1e30f;
    for (int k = 0; k < count; ++k)
        t.clusters[k].RefreshBuffers(s, t.z_min, t.z_max);
    t.box_min = t.z_min - 2.0f;
    t.box_max = t.z_max + 2.0f;
    t.ready = 1;
    if (times) {
        spent.build = SecondsSince(start) - spent.read - spent.convert;
        *times = spent;
    }
}
