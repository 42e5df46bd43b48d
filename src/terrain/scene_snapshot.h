#pragma once
// Copies of the scene's state, for undo and the autosave: the ten planes a scene file holds
// (ground, water and the eight flows) of every cluster, the clusters' extents, the view and
// the settings a scene file sets. Taken and put back with no step in flight.

#include <cstddef>
#include <string>
#include <vector>

#include "kr/math/vector.h"
#include "terrain/app_settings.h"
#include "terrain/simulation_settings.h"

class cluster;
class terrain;
class vertex_2d_field;

// The planes of a scene: 0 the ground, 1 the water, 2 ... 9 the flows.
constexpr int kScenePlanes = 10;

// A plane of a field, row-major with the field's stride.
float* FieldPlane(vertex_2d_field& field, int plane);

// A plane of the cluster's newest state. Commands and a finished step write the write field,
// so its ground and water are the newest; its flows only once a step has written them.
const float* NewestPlane(const cluster& c, int plane);

struct cluster_copy {
    KR::Vector2 start, end;
    int columns = 0, rows = 0;
    std::vector<float> values;  // kScenePlanes planes of columns x rows, row by row
};

struct scene_snapshot {
    std::vector<cluster_copy> clusters;
    KR::Vector2 extent;
    KR::Vector4 sun, view, view_pos;
    std::string file_name;  // the scene file it came from or went to
    // A load replaces the settings a scene file holds; generation and import leave them.
    bool with_settings = false;
    simulation_settings sim;
    display_settings display;

    size_t Bytes() const;
};

// The bytes a snapshot of the scene would take, known before anything is copied.
size_t SceneSnapshotBytes(const terrain& t);

// Raises std::bad_alloc when memory runs out.
scene_snapshot TakeSceneSnapshot(const terrain& t, const simulation_settings& s,
                                 const display_settings& d, bool with_settings);

// Builds the snapshot's grid first (a failed allocation raises KR::ErrorMem and changes
// nothing), then puts it in place with the view, the file name and, when the snapshot has
// them, the settings a scene file sets, and fills the draw buffers.
void RestoreScene(const scene_snapshot& snapshot, terrain& t, simulation_settings& s,
                  display_settings& d);

// Refills every cluster's draw buffers from its read field, and the scene box from their
// height range.
void RefreshDrawBuffers(terrain& t);
