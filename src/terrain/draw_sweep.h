#pragma once
// Refilling a cluster's draw buffers from its read field, one band of grid rows at a time, so
// that threads can share the rows.

#include <cstddef>
#include <cstdint>
#include <utility>

class cluster;
struct simulation_settings;
struct step_timing;

// Floats of working memory one band needs, for fields of the given stride.
size_t DrawSweepFloats(int stride);

// Refills grid rows [r0, r1) of c's draw buffers, and the quad rows among them, from its read
// field, using rows (DrawSweepFloats floats) as working memory. The ground of the rows whose
// ground and neighbouring ground did not change (ground_changed by grid row; null when every
// row changed) is kept as it is. Returns the lowest ground and the highest water surface of
// the rows, starting from z_min and z_max.
std::pair<float, float> SweepDrawRows(cluster& c, const simulation_settings& s,
                                      const uint8_t* ground_changed, step_timing* timing,
                                      float* rows, int thread, float z_min, float z_max, int r0,
                                      int r1);
