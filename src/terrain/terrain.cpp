#include "terrain/terrain.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "kr/base/error.h"
#include "kr/base/utils.h"
#include "terrain/directions.h"

simulation_settings sim_settings;

terrain::terrain()
    : clock(KR::GetTime),
      import_image([](const std::string& name) { return KR::ReadImageFile(name.c_str()); }),
      workers(std::make_unique<step_workers>(1)) {}

terrain::~terrain() {
    RemoveAllObjects();
}

void terrain::FreeClusters() {
    clusters.reset();
    cluster_count = 0;
    ready = 0;
}

void terrain::ReplaceGrid(const float* heights, int columns, int rows) {
    extent = KR::Vector2(float(columns), float(rows));
    FreeClusters();
    RemoveAllObjects();
    clusters.reset(new (std::nothrow) cluster[1]);
    if (!clusters)
        throw KR::ErrorMem("terrain::GenerateTerrain", ": Can't allocate clusters!",
                           uint32_t(sizeof(cluster)));
    cluster_count = 1;
    // The height range of the old grid says nothing about the new one.
    z_min = 1e30f;
    z_max = -1e30f;
    clusters[0].SetExtent(KR::Vector2(0, 0), extent, columns, rows);
    try {
        clusters[0].GenerateTerrain(heights, columns);
    } catch (...) {
        // A half-built cluster must not be stepped or drawn.
        FreeClusters();
        throw;
    }
}

void terrain::BuildFromHeights(const float* heights, int columns, int rows) {
    ReplaceGrid(heights, columns, rows);
    view_pos = KR::Vector4(extent.x / 2, extent.y / 2, 0, 0);
    UpdateBuffers();
    ready = 1;
}

void terrain::SetStepThreads(int count) {
    if (count != workers->Count()) workers = std::make_unique<step_workers>(count);
}

void terrain::BeginTick() {
    tick.view = view;
    tick.view_pos = view_pos;
    tick.animation_time = settings->animation_time;
    tick_base = tick;
}

void terrain::TakeTickMotion() {
    view.x += tick.view.x - tick_base.view.x;
    if (view.x > 360) view.x -= 360;
    if (view.x < 0) view.x += 360;
    view_pos += tick.view_pos - tick_base.view_pos;
    if (settings->stay_on_terrain) ClampToTerrain(view_pos);
    settings->animation_time = tick.animation_time;
    tick_base = tick;
}

void terrain::Simulate() {
    if (publish_tick_motion) {
        Tick(tick);
        return;
    }
    tick_view direct{view, view_pos, settings->animation_time};
    Tick(direct);
    view = direct.view;
    view_pos = direct.view_pos;
    settings->animation_time = direct.animation_time;
}

void terrain::ClampToTerrain(KR::Vector4& position) const {
    position.x = std::clamp(position.x, 0.01f, std::max(0.01f, extent.x - 1.01f));
    position.y = std::clamp(position.y, 0.01f, std::max(0.01f, extent.y - 1.01f));
}

void terrain::Tick(tick_view& motion) {
    const simulation_settings& s = *settings;
    if (s.auto_rotate) motion.view.x += 0.5f;
    if (motion.view.x > 360) motion.view.x -= 360;
    if (motion.view.x < 0) motion.view.x += 360;
    if (s.float_in_water && !s.stop_water)
        motion.view_pos += GetFlowVelocity(motion.view_pos.x, motion.view_pos.y);
    if (s.stay_on_terrain) ClampToTerrain(motion.view_pos);
    z_min = 1e30f;
    z_max = -1e30f;
    UpdateObjects();
    for (unsigned c = 0; c < cluster_count; ++c)
        clusters[c].Step(s, workers.get());
    if (!s.stop_water_shader) {
        motion.animation_time += 0.005f * s.timescale;
        if (motion.animation_time > 1.0f) motion.animation_time -= 1.0f;
    }
}

void terrain::UpdateBuffers() {
    for (unsigned c = 0; c < cluster_count; ++c)
        clusters[c].SwapAndRefresh(*settings, z_min, z_max, workers.get());
    box_min = z_min - 2.0f;
    box_max = z_max + 2.0f;
    TakeObjectSnapshot();
}

void terrain::TakeObjectSnapshot() {
    shown_objects.clear();
    for (const scene_object* o = objects; o; o = o->next)
        shown_objects.push_back({o, o->position, o->rotation, o->size,
                                 dynamic_cast<const AgentFood*>(o) != nullptr, o == selected});
}

cluster* terrain::FindCluster(float x, float y) {
    if (!clusters || x < 0 || x > extent.x || y < 0 || y > extent.y) return nullptr;
    for (unsigned c = 0; c < cluster_count; ++c) {
        cluster& k = clusters[c];
        if (k.start.x <= x && x <= k.end.x && k.start.y <= y && y <= k.end.y) return &k;
    }
    return nullptr;
}

namespace {

// The cell of the write field holding world point (x, y) and the position inside it;
// false beyond the last full quad.
bool Locate(const cluster& k, float x, float y, int& i, int& j, float& fx, float& fy) {
    const float u = (x - k.start.x) / k.cell.x, v = (y - k.start.y) / k.cell.y;
    if (!(u >= 0) || !(v >= 0) || u >= 2147483647.0f || v >= 2147483647.0f) return false;
    i = int(u);
    j = int(v);
    fx = u - float(i);
    fy = v - float(j);
    return i < k.write_field->Width() - 3 && j < k.write_field->Height() - 3;
}

}  // namespace

bool terrain::GetSurfaceHeight(float& z, float x, float y) {
    return SurfaceHeight(z, x, y, false);
}

bool terrain::GetShownSurfaceHeight(float& z, float x, float y) const {
    return SurfaceHeight(z, x, y, true);
}

bool terrain::SurfaceHeight(float& z, float x, float y, bool shown) const {
    const cluster* k = const_cast<terrain*>(this)->FindCluster(x, y);
    int i, j;
    float fx, fy;
    if (!k || !Locate(*k, x, y, i, j, fx, fy)) return false;
    const vertex_2d_field& W = shown ? *k->read_field : *k->write_field;
    const float s00 = W.GetWater(i + 1, j + 1) + W.GetTerrain(i + 1, j + 1);
    const float s10 = W.GetWater(i + 2, j + 1) + W.GetTerrain(i + 2, j + 1);
    const float s01 = W.GetWater(i + 1, j + 2) + W.GetTerrain(i + 1, j + 2);
    const float s11 = W.GetWater(i + 2, j + 2) + W.GetTerrain(i + 2, j + 2);
    z = (1 - fx) * (1 - fy) * s00 + fx * (1 - fy) * s10 + (1 - fx) * fy * s01 + fx * fy * s11;
    return true;
}

void terrain::PourWater(float x, float y, float amount) {
    // The field index of the nearest grid point.
    const int i = int(x + 1.5f), j = int(y + 1.5f);
    cluster* c = FindCluster(float(i), float(j));
    if (c) c->write_field->AddWater(i, j, amount);
}

KR::Vector4 terrain::GetFlowVelocity(float x, float y) {
    cluster* k = FindCluster(x, y);
    int i, j;
    float fx, fy;
    if (!k || !Locate(*k, x, y, i, j, fx, fy)) return KR::Vector4(0, 0, 0, 0);
    const vertex_2d_field& W = *k->write_field;
    // Until the next step writes them, the write field's flows are the read field's.
    const vertex_2d_field& flows = *k->read_field;
    auto vertex_flow = [&W, &flows](int vx, int vy) {
        KR::Vector4 v(0, 0, 0, 0);
        const float divisor = W.GetWater(vx, vy) / 3.0f + 1.0f;
        for (int d = 0; d < directions::kCount; ++d) {
            const KR::Vector4 direction(float(directions::dx[d]), float(directions::dy[d]), 0, 0);
            v += direction * (flows.GetFlow(vx, vy, d) / divisor);
        }
        return v;
    };
    return vertex_flow(i + 1, j + 1) * ((1 - fx) * (1 - fy)) +
           vertex_flow(i + 2, j + 1) * (fx * (1 - fy)) +
           vertex_flow(i + 1, j + 2) * ((1 - fx) * fy) + vertex_flow(i + 2, j + 2) * (fx * fy);
}
