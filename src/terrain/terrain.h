#pragma once
// The scene: the grid of clusters, the view state, the height range for drawing and the
// scene objects. One terrain lives for the whole run of the program.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kr/base/name_lib.h"
#include "kr/math/vector.h"
#include "terrain/app_settings.h"
#include "terrain/camera_info.h"
#include "terrain/cluster.h"
#include "terrain/file_name_provider.h"
#include "terrain/image_source.h"
#include "terrain/object_world.h"
#include "terrain/scene_object.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_workers.h"
#include "terrain/terrain_generation_info.h"

// What a tick moves besides the grid: the view and the water animation. A tick running beside
// drawing works on its own copy, which the main thread takes over at the hand-over.
struct tick_view {
    KR::Vector4 view;
    KR::Vector4 view_pos;
    float animation_time = 0.0f;
};

class terrain : public object_world {
  public:
    terrain();
    ~terrain();
    terrain(const terrain&) = delete;
    terrain& operator=(const terrain&) = delete;

    // Replaces the grid by one cluster covering columns x rows, built from a row-major height
    // grid, and sets extent, ready and the view target to the middle.
    void BuildFromHeights(const float* heights, int columns, int rows);
    void FreeClusters();

    // Generates a new landscape from the parameters in `generation`: the whole terrain (grid,
    // objects, view) is replaced, unless the algorithm produced nothing (import cancelled).
    // Raises KR::Error family errors; an error from the algorithm leaves the terrain as it was.
    // Answers whether the terrain was replaced.
    bool GenerateTerrain();
    // The same with heights from elsewhere (a height map, say): source fills the grid as an
    // algorithm does and answers 1, or 0 when it produced nothing.
    using height_source = std::function<int(terrain_generation_info& info)>;
    bool GenerateTerrain(const height_source& source);

    // Scene files: ask file_names for a name (a cancel does nothing), then save or load.
    // Save raises KR::ErrorFile when the file cannot be written; Load raises the structure
    // error and keeps the running scene when the file cannot be read. Both answer whether
    // they did it, and then remember the file in scene_file.
    bool Save();
    bool Load();
    // The scene file the scene was last loaded from or saved to; empty for a generated one.
    std::string scene_file;

    // The algorithms fill info's grid (already allocated) and return 1, or 0 when nothing
    // was generated. Random Points and Perlin Noise spread their cells over the step threads.
    int GenerateTerrainRandomPoint(terrain_generation_info& info);
    int GenerateTerrainFaulting(terrain_generation_info& info);
    int GenerateTerrainPerlin(terrain_generation_info& info);
    int GenerateTerrainImport(terrain_generation_info& info);

    // One simulation tick and the hand-over of its result to drawing.
    void Simulate();
    void UpdateBuffers();

    // Threads a step and a hand-over are spread over (1 by default).
    void SetStepThreads(int count);
    int StepThreads() const { return workers->Count(); }
    step_workers& StepWorkers() { return *workers; }

    // With publishing on, ticks move a copy of the view taken by BeginTick; the main thread
    // applies the copy's motion with TakeTickMotion after the step is done.
    void SetPublishTickMotion(bool on) { publish_tick_motion = on; }
    void BeginTick();
    void TakeTickMotion();

    cluster* FindCluster(float x, float y);
    bool GetSurfaceHeight(float& z, float x, float y) override;
    // The same on the field drawing shows (the last step handed over): safe beside a step.
    bool GetShownSurfaceHeight(float& z, float x, float y) const;
    void PourWater(float x, float y, float amount) override;
    const simulation_settings& Settings() const override { return *settings; }
    KR::Vector2 Extent() const override { return extent; }
    KR::Vector4 GetFlowVelocity(float x, float y);

    // Scene objects (main thread, between steps; agents add food during a tick). Each Add
    // creates an object at the view target and puts it first in the list.
    StaticObject* AddObjectStatic();
    Spring* AddSpring();
    Ball* AddBall();
    // Position and rotation default to the view target and the default rotation.
    AgentFood* AddAgentFood(const KR::Vector4* position = nullptr,
                            const KR::Vector4* rotation = nullptr, double grow_time = 0.0) override;
    Agent* AddAgent();
    // Unlinks and destroys an object of the list; an object not in the list is left alone.
    void RemoveObject(scene_object* object) override;
    void RemoveAllObjects();
    void CancelSelection() { selected = nullptr; }
    void DeleteSelected() { RemoveObject(selected); }
    int ObjectCount() const;

    // The program clock the objects live by (seconds); tests may replace it.
    double Now() const override { return clock(); }
    double (*clock)();

    // Commands (main thread, between steps).
    void ResetWater();
    void ResetMovement();
    void Tsunami();
    void SmoothTerrain();
    void SmoothBrush();
    void RaiseBrush(float amount);

    // --- Drawing: defined in src/render/, needs a current context ---
    // One whole frame, ended by the swap hook (none: the frame is only flushed).
    void Draw();
    // Selects the object under the cursor (client pixels, y down), or nothing.
    void Pick(int client_width, int client_height, int cursor_x, int cursor_y);
    // Loads the camera's projection (matrix mode left on projection) and view (modelview) for
    // the terrain's box corners and fills out when given.
    void UpdateCamera(const KR::Vector4 box[8], camera_info* out);
    // Every cluster's ground as bare geometry, for the shadow map and picking.
    void DrawShadowCasters();
    // --- end of drawing ---

    // The grid.
    std::unique_ptr<cluster[]> clusters;
    unsigned cluster_count = 0;
    KR::Vector2 extent;
    unsigned ready = 0;

    // The view (heading, pitch, distance, tilt), its target point and the sun.
    KR::Vector4 view;
    KR::Vector4 view_pos;
    KR::Vector4 sun;
    float brush_radius = 15.0f;

    // Height range of the last refresh and the scene box drawn around it.
    float z_min = 1e30f, z_max = -1e30f;
    float box_min = 0.0f, box_max = 0.0f;

    simulation_settings* settings = &sim_settings;
    display_settings* display_options = &display;

    terrain_generation_info generation;
    // The import asks this provider for a file (none: as if cancelled) and reads it with
    // import_image.
    file_name_provider* file_names = nullptr;
    image_source import_image;

    // What drawing and picking read of the objects: taken at every hand-over and after every
    // command, so that they never walk the list a running step changes.
    std::vector<shown_object> shown_objects;
    void TakeObjectSnapshot();

    // The scene objects, newest first, and the selected one.
    scene_object* objects = nullptr;
    scene_object* selected = nullptr;
    KR::NameLib<Agent> agent_lib{"class Agent"};
    KR::NameLib<AgentFood> food_lib{"class AgentFood"};

  private:
    bool SurfaceHeight(float& z, float x, float y, bool shown) const;
    // Destroys clusters and objects and builds one cluster from the height grid.
    void ReplaceGrid(const float* heights, int columns, int rows);
    void ResetView();

    template <class T>
    T* Insert(T* object);
    KR::Vector4 DefaultRotation() const { return KR::Vector4(0, 0, 90 - view.x, 0); }
    void UpdateObjects();

    void Tick(tick_view& motion);
    void ClampToTerrain(KR::Vector4& position) const;

    std::unique_ptr<step_workers> workers;
    scene_object* update_next = nullptr;  // the object the running update loop visits next
    bool publish_tick_motion = false;
    tick_view tick, tick_base;
};
