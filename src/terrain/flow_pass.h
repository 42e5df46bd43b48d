#pragma once
// The water flow of one step: rain, then the virtual-pipe flow, read from R and written to W.

struct simulation_settings;
struct step_scratch;
class step_workers;
class vertex_2d_field;

void RunFlowPass(const simulation_settings& s, const vertex_2d_field& R, vertex_2d_field& W,
                 step_scratch& scratch, step_workers* workers);

// Tests set this to run the kernels built for any x86-64 where AVX2 is available too.
extern bool step_kernels_plain_only;
