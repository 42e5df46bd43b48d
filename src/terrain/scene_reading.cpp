#include "terrain/scene_reading.h"

#include "kr/base/error.h"
#include "kr/base/string_convert.h"

namespace {

float FloatAttribute(const XmlElement& e, const char* name) {
    return KR::StringToFloat(e.Attribute(name));
}
int IntAttribute(const XmlElement& e, const char* name) {
    return KR::StringToInt(e.Attribute(name));
}

void ReadState(const XmlElement& state, simulation_settings& s, display_settings& d) {
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

void SceneStructureError() {
    throw KR::Error("", ": File structure error! Can't continue.");
}

void ReadSceneSettings(const XmlElement& root, loaded_scene& scene) {
    const XmlElement sun = root.Child("sun"), view = root.Child("view");
    const XmlElement position = root.Child("view_pos");
    scene.sun.z = FloatAttribute(sun, "z");
    scene.sun.y = FloatAttribute(sun, "y");
    scene.sun.x = FloatAttribute(sun, "x");
    scene.view.z = FloatAttribute(view, "z");
    scene.view.y = FloatAttribute(view, "y");
    scene.view.x = FloatAttribute(view, "x");  // the tilt becomes 0
    scene.view_pos.y = FloatAttribute(position, "y");
    scene.view_pos.x = FloatAttribute(position, "x");
    ReadState(root.Child("state"), scene.s, scene.d);
}

cluster_extent ReadClusterExtent(const XmlElement& element) {
    cluster_extent extent;
    extent.columns = IntAttribute(element, "x");
    extent.rows = IntAttribute(element, "y");
    extent.end.y = FloatAttribute(element, "end_y");
    extent.end.x = FloatAttribute(element, "end_x");
    extent.start.y = FloatAttribute(element, "start_y");
    extent.start.x = FloatAttribute(element, "start_x");
    return extent;
}

void AllocateClusterFields(cluster& c, const cluster_extent& extent) {
    c.SetExtent(extent.start, extent.end, extent.columns, extent.rows);
    c.fields[0].Allocate(&c, extent.columns, extent.rows);
    c.fields[1].Allocate(&c, extent.columns, extent.rows);
    c.read_field = &c.fields[0];
    c.write_field = &c.fields[1];
}

void FinishClusterFields(cluster& c) {
    vertex_2d_field& f = *c.read_field;
    for (int y = 1; y < f.Height() - 1; ++y)
        for (float *water = f.Water() + f.Index(1, y), *end = water + f.Width() - 2; water < end;
             ++water)
            if (*water < 0) *water = 0;
    c.LinkBorders();
    c.write_field->SwitchCopy(*c.read_field);
}
