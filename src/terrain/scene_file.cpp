#include "terrain/scene_file.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "kr/error.h"
#include "kr/string_convert.h"
#include "kr/xml_element.h"
#include "kr/xml_view.h"
#include "terrain/app_settings.h"
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

// ---- reading

[[noreturn]] void StructureError() {
    throw KR::Error("", ": File structure error! Can't continue.");
}

// A required element: a missing one is a structure error.
XmlElement Need(const XmlElement& element) {
    if (element.IsEmpty()) StructureError();
    return element;
}

float FloatAttribute(const XmlElement& e, const char* name) {
    return KR::StringToFloat(e.Attribute(name));
}
int IntAttribute(const XmlElement& e, const char* name) {
    return KR::StringToInt(e.Attribute(name));
}

using load_clock = std::chrono::steady_clock;

double Seconds(load_clock::time_point since) {
    return std::chrono::duration<double>(load_clock::now() - since).count();
}

// The ten numbers of a vertex as text: height, water and the eight flows; all nullptr when
// the vertex lacks any of them.
struct vertex_text {
    const char* values[10] = {};
};

// The flows are taken by position; their names do not matter.
vertex_text VertexText(XmlView v) {
    const XmlView w = v.Child("w");
    const XmlView s = w.Child("s");
    vertex_text text;
    text.values[0] = v.Child("t").Attribute("z");
    text.values[1] = w.Attribute("z");
    if (!text.values[0] || !text.values[1] || s.AttributeCount() < 8) return {};
    for (int k = 0; k < 8; ++k)
        if (!(text.values[2 + k] = s.AttributeAt(k).value)) return {};
    return text;
}

// Runs work(begin, end) on rows [0, rows): the second half on another thread when there are
// enough rows. Every failure of a load is the same structure error, so which half fails first
// does not matter; the first half's failure is raised, else the second's.
template <class Work>
void OnTwoThreads(int rows, Work work) {
    const int half = rows >= 64 ? rows / 2 : rows;
    std::exception_ptr failure;
    std::thread other;
    if (half < rows) {
        try {
            other = std::thread([&] {
                try {
                    work(half, rows);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            work(half, rows);  // no thread to be had: this one does both halves
        }
    }
    try {
        work(0, half);
    } catch (...) {
        if (other.joinable()) other.join();
        throw;
    }
    if (other.joinable()) other.join();
    if (failure) std::rethrow_exception(failure);
}

// The rows of a cluster element. Every row and vertex is checked before the fields are
// allocated, so that a file of empty vertices costs no more than its parse.
std::vector<XmlView> CheckedRows(XmlView element, int columns, int rows) {
    if (columns < 1 || rows < 1 || rows > element.ChildCount()) StructureError();
    std::vector<XmlView> row_elements(static_cast<size_t>(rows));
    int row_position = 0;
    for (XmlView& row : row_elements) {
        row = element.Child("row", &row_position);
        if (row.IsEmpty() || row.ChildCount() < columns) StructureError();
    }
    OnTwoThreads(rows, [&](int begin, int end) {
        for (int j = begin; j < end; ++j) {
            int position = 0;
            for (int i = 0; i < columns; ++i)
                if (!VertexText(row_elements[size_t(j)].Child("v", &position)).values[0])
                    StructureError();
        }
    });
    return row_elements;
}

void ReadCluster(const XmlElement& element, cluster& c, scene_load_times& times) {
    const int columns = IntAttribute(element, "x"), rows = IntAttribute(element, "y");
    const float end_y = FloatAttribute(element, "end_y"), end_x = FloatAttribute(element, "end_x");
    const float start_y = FloatAttribute(element, "start_y");
    const float start_x = FloatAttribute(element, "start_x");
    // Check the sizes against what the file holds before allocating anything.
    const std::vector<XmlView> row_elements = CheckedRows(element.View(), columns, rows);
    c.SetExtent(KR::Vector2(start_x, start_y), KR::Vector2(end_x, end_y), columns, rows);
    c.fields[0].Allocate(&c, columns, rows);
    c.fields[1].Allocate(&c, columns, rows);
    c.read_field = &c.fields[0];
    c.write_field = &c.fields[1];
    vertex_2d_field& f = *c.read_field;
    float* planes[10] = {f.Terrain(), f.Water()};
    for (int k = 0; k < 8; ++k)
        planes[2 + k] = f.Flow(k);
    // A row's texts are gathered first, so that the conversion can be timed on its own (on
    // the loading thread; the other half runs alongside).
    const auto loading_thread = std::this_thread::get_id();
    OnTwoThreads(rows, [&](int begin, int end) {
        std::vector<vertex_text> texts(static_cast<size_t>(columns));
        double converting = 0;
        for (int j = begin + 1; j <= end; ++j) {
            int position = 0;
            for (vertex_text& text : texts)
                text = VertexText(row_elements[size_t(j - 1)].Child("v", &position));
            const auto start = load_clock::now();
            const size_t first = f.Index(1, j);
            for (int i = 0; i < columns; ++i)
                for (int k = 0; k < 10; ++k)
                    planes[k][first + size_t(i)] = KR::StringToFloat(texts[size_t(i)].values[k]);
            // Water is never negative, as SetWater keeps it.
            for (float* water = planes[1] + first; water < planes[1] + first + columns; ++water)
                if (*water < 0) *water = 0;
            converting += Seconds(start);
        }
        if (std::this_thread::get_id() == loading_thread) times.convert += converting;
    });
    c.LinkBorders();
    c.write_field->SwitchCopy(*c.read_field);
}

struct loaded_state {
    simulation_settings s;
    display_settings d;
};

void ReadState(const XmlElement& state, loaded_state& l) {
    simulation_settings& s = l.s;
    display_settings& d = l.d;
    s.mode = IntAttribute(state, "mode");
    s.stop_rain = IntAttribute(state, "stop_rain");
    s.stop_erosion = IntAttribute(state, "stop_erosion");
    s.stop_water = IntAttribute(state, "stop_water");
    s.stop_water_shader = IntAttribute(state, "stop_water_shader");
    s.auto_rotate = IntAttribute(state, "auto_rotate");
    d.water_color = IntAttribute(state, "water_color");
    d.use_shaders = IntAttribute(state, "use_shaders");
    s.aquarium = IntAttribute(state, "aquarium");
    s.z_aquarium = FloatAttribute(state, "z_aquarium");
    s.rain_type = IntAttribute(state, "rain_type");
    s.rain_multiplier = FloatAttribute(state, "rain_multiplier");
    s.water_density = FloatAttribute(state, "water_density");
    s.water_min_depth = FloatAttribute(state, "water_min_depth");
    s.randomness = FloatAttribute(state, "randomness");
    s.timescale = FloatAttribute(state, "timescale");
    s.animation_time = FloatAttribute(state, "animation_time");
    d.show_box = IntAttribute(state, "show_box");
    d.show_terrain = IntAttribute(state, "show_terrain");
    d.show_water = IntAttribute(state, "show_water");
    d.show_sky = IntAttribute(state, "show_sky");
    d.show_shadows = IntAttribute(state, "show_shadows");
    d.show_debug = static_cast<uint32_t>(IntAttribute(state, "show_debug"));
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
    // Only a regular file is replaced: never a folder or a device.
    std::error_code error;
    const auto status = std::filesystem::status(file_name, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw KR::ErrorFile("terrain::Save", ": Can't create the file!", file_name);
    // Written beside the target first, so that a failed save leaves the old file whole.
    const std::string temporary = std::string(file_name) + ".saving";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) throw KR::ErrorFile("terrain::Save", ": Can't create the file!", file_name);
    bool written = true;
    scene_text text([&](const std::string& piece) {
        written = written && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
    });
    Write(text, t, s, d);
    written = std::fclose(file) == 0 && written;
    if (written) std::filesystem::rename(temporary, file_name, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        throw KR::ErrorFile("terrain::Save", ": Can't write the file!", file_name);
    }
}

void LoadScene(const char* file_name, terrain& t, simulation_settings& s, display_settings& d,
               scene_load_times* times) {
    scene_load_times spent;
    const auto start = load_clock::now();
    std::unique_ptr<cluster[]> clusters;
    int count = 0;
    loaded_state state{s, d};
    KR::Vector4 sun, view, view_pos;
    try {
        XmlResult result;
        const XmlElement root = XmlElement::FromFile(file_name, "terrain", &result);
        spent.read = Seconds(start);
        if (root.IsEmpty()) StructureError();
        count = IntAttribute(root, "clusters");
        if (count < 1 || count > root.ChildCount()) StructureError();
        clusters = std::make_unique<cluster[]>(size_t(count));
        XmlElement cluster_handle = root;
        for (int k = 0; k < count; ++k)
            ReadCluster(Need(cluster_handle.Child("cluster", k)), clusters[k], spent);
        const XmlElement sun_e = root.Child("sun"), view_e = root.Child("view");
        const XmlElement pos_e = root.Child("view_pos");
        sun.z = FloatAttribute(sun_e, "z");
        sun.y = FloatAttribute(sun_e, "y");
        sun.x = FloatAttribute(sun_e, "x");
        view.z = FloatAttribute(view_e, "z");
        view.y = FloatAttribute(view_e, "y");
        view.x = FloatAttribute(view_e, "x");  // the tilt becomes 0
        view_pos.y = FloatAttribute(pos_e, "y");
        view_pos.x = FloatAttribute(pos_e, "x");
        ReadState(root.Child("state"), state);
    } catch (const std::bad_alloc&) {
        StructureError();
    } catch (const KR::Error&) {
        StructureError();
    }
    // The draw buffers come after the document is gone, which keeps the peak of memory low.
    for (int k = 0; k < count; ++k)
        clusters[k].AllocateDrawBuffers();
    // Everything is read: replace the scene.
    t.clusters = std::move(clusters);
    t.cluster_count = unsigned(count);
    t.sun = sun;
    t.view = view;
    t.view_pos = view_pos;
    s = state.s;
    d = state.d;
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
        spent.build = Seconds(start) - spent.read - spent.convert;
        *times = spent;
    }
}
