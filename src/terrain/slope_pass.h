#pragma once
// Slope collapse of one step: read from R, added into W.

struct step_scratch;
class step_workers;
class vertex_2d_field;

void RunSlopePass(const vertex_2d_field& R, vertex_2d_field& W, step_scratch& scratch,
                  step_workers* workers);
