#pragma once
// The water flow of one step: rain, then the virtual-pipe flow, read from R and written to W.

#include <cstddef>

struct simulation_settings;
struct step_scratch;
class step_workers;
class vertex_2d_field;

void RunFlowPass(const simulation_settings& s, const vertex_2d_field& R, vertex_2d_field& W,
                 step_scratch& scratch, step_workers* workers);

// The widest kernels the pass may use: tests and benchmarks run the narrower builds on a
// processor that has the wider ones too.
enum class step_kernels { best, avx2, plain };
extern step_kernels step_kernel_limit;

// From which size of the write field (in bytes) the pass streams its stores past the caches;
// tests lower it to run the streamed stores on small grids.
constexpr size_t kStreamedFieldBytes = size_t(16) << 20;
extern size_t streamed_field_bytes;
