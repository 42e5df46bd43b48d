#include "terrain/scene_snapshot.h"

#include <cstring>
#include <memory>
#include <new>

#include "kr/base/error.h"
#include "terrain/terrain.h"

namespace {

// The settings a scene file's state element sets: what a load replaces.
void CopySceneSettings(const simulation_settings& from_s, const display_settings& from_d,
                       simulation_settings& s, display_settings& d) {
    s.mode = from_s.mode;
    s.stop_rain = from_s.stop_rain;
    s.stop_erosion = from_s.stop_erosion;
    s.stop_water = from_s.stop_water;
    s.stop_water_shader = from_s.stop_water_shader;
    s.auto_rotate = from_s.auto_rotate;
    s.aquarium = from_s.aquarium;
    s.z_aquarium = from_s.z_aquarium;
    s.rain_type = from_s.rain_type;
    s.rain_multiplier = from_s.rain_multiplier;
    s.water_density = from_s.water_density;
    s.water_min_depth = from_s.water_min_depth;
    s.randomness = from_s.randomness;
    s.timescale = from_s.timescale;
    s.animation_time = from_s.animation_time;
    d.water_color = from_d.water_color;
    d.use_shaders = from_d.use_shaders;
    d.show_box = from_d.show_box;
    d.show_terrain = from_d.show_terrain;
    d.show_water = from_d.show_water;
    d.show_sky = from_d.show_sky;
    d.show_shadows = from_d.show_shadows;
    d.show_debug = from_d.show_debug;
}

template <class Field>
auto Plane(Field& field, int plane) {
    return plane == 0 ? field.Terrain() : plane == 1 ? field.Water() : field.Flow(plane - 2);
}

size_t PlaneValues(const cluster& c) {
    return size_t(c.read_field->Width() - 2) * size_t(c.read_field->Height() - 2);
}

}  // namespace

float* FieldPlane(vertex_2d_field& field, int plane) {
    return Plane(field, plane);
}

const float* NewestPlane(const cluster& c, int plane) {
    const vertex_2d_field& f = plane < 2 || c.write_flows_current ? *c.write_field : *c.read_field;
    return Plane(f, plane);
}

size_t scene_snapshot::Bytes() const {
    size_t bytes = sizeof *this + file_name.capacity();
    for (const cluster_copy& c : clusters)
        bytes += sizeof c + c.values.capacity() * sizeof(float);
    return bytes;
}

size_t SceneSnapshotBytes(const terrain& t) {
    size_t bytes = sizeof(scene_snapshot) + t.scene_file.size();
    for (unsigned k = 0; k < t.cluster_count; ++k)
        bytes += sizeof(cluster_copy) + PlaneValues(t.clusters[k]) * kScenePlanes * sizeof(float);
    return bytes;
}

scene_snapshot TakeSceneSnapshot(const terrain& t, const simulation_settings& s,
                                 const display_settings& d, bool with_settings) {
    scene_snapshot snapshot;
    snapshot.clusters.resize(t.cluster_count);
    for (unsigned k = 0; k < t.cluster_count; ++k) {
        const cluster& c = t.clusters[k];
        cluster_copy& copy = snapshot.clusters[k];
        copy.start = c.start;
        copy.end = c.end;
        copy.columns = c.read_field->Width() - 2;
        copy.rows = c.read_field->Height() - 2;
        copy.values.resize(PlaneValues(c) * kScenePlanes);
        float* out = copy.values.data();
        for (int p = 0; p < kScenePlanes; ++p) {
            const float* plane = NewestPlane(c, p);
            for (int y = 1; y <= copy.rows; ++y, out += copy.columns)
                std::memcpy(out, plane + c.read_field->Index(1, y),
                            size_t(copy.columns) * sizeof(float));
        }
    }
    snapshot.extent = t.extent;
    snapshot.sun = t.sun;
    snapshot.view = t.view;
    snapshot.view_pos = t.view_pos;
    snapshot.file_name = t.scene_file;
    snapshot.with_settings = with_settings;
    if (with_settings) CopySceneSettings(s, d, snapshot.sim, snapshot.display);
    return snapshot;
}

void RestoreScene(const scene_snapshot& snapshot, terrain& t, simulation_settings& s,
                  display_settings& d) {
    const size_t count = snapshot.clusters.size();
    std::unique_ptr<cluster[]> clusters(new (std::nothrow) cluster[count]);
    if (!clusters)
        throw KR::ErrorMem("scene_history::Undo", ": Can't allocate clusters!",
                           uint32_t(count * sizeof(cluster)));
    for (size_t k = 0; k < count; ++k) {
        const cluster_copy& copy = snapshot.clusters[k];
        cluster& c = clusters[k];
        c.SetExtent(copy.start, copy.end, copy.columns, copy.rows);
        c.fields[0].Allocate(&c, copy.columns, copy.rows);
        c.fields[1].Allocate(&c, copy.columns, copy.rows);
        c.read_field = &c.fields[0];
        c.write_field = &c.fields[1];
        const float* in = copy.values.data();
        for (int p = 0; p < kScenePlanes; ++p) {
            float* plane = FieldPlane(*c.read_field, p);
            for (int y = 1; y <= copy.rows; ++y, in += copy.columns)
                std::memcpy(plane + c.read_field->Index(1, y), in,
                            size_t(copy.columns) * sizeof(float));
        }
        c.LinkBorders();
        c.write_field->SwitchCopy(*c.read_field);
        c.AllocateDrawBuffers();
    }
    t.clusters = std::move(clusters);
    t.cluster_count = unsigned(count);
    t.extent = snapshot.extent;
    t.sun = snapshot.sun;
    t.view = snapshot.view;
    t.view_pos = snapshot.view_pos;
    t.scene_file = snapshot.file_name;
    if (snapshot.with_settings) CopySceneSettings(snapshot.sim, snapshot.display, s, d);
    RefreshDrawBuffers(t);
    t.ready = count > 0;
}

void RefreshDrawBuffers(terrain& t) {
    t.z_min = 1e30f;
    t.z_max = -1e30f;
    for (unsigned k = 0; k < t.cluster_count; ++k)
        t.clusters[k].RefreshBuffers(*t.settings, t.z_min, t.z_max, &t.StepWorkers());
    t.box_min = t.z_min - 2.0f;
    t.box_max = t.z_max + 2.0f;
}
