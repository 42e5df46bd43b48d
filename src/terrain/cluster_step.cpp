// One simulation step of a cluster: rain, the 8-neighbour virtual-pipe flow and slope
// collapse. Every pass reads the read field and writes the write field.

#include "terrain/cluster.h"
#include "terrain/flow_pass.h"
#include "terrain/simulation_settings.h"
#include "terrain/slope_pass.h"
#include "terrain/step_workers.h"

void cluster::Step(const simulation_settings& s, step_workers* workers) {
    vertex_2d_field& R = *read_field;
    vertex_2d_field& W = *write_field;
    if (!R.IsAllocated() || !W.IsAllocated()) return;
    scratch.Prepare(R.Stride(), R.Height() - 2, workers ? workers->Count() : 1);
    if (!s.stop_water) {
        RunFlowPass(s, R, W, scratch, workers);
    } else if (!write_flows_current) {
        // The flows stand still: they stay what the read field holds.
        W.CheckCopySource(R);
        W.CopyRows(R, 1, R.Height() - 1, vertex_2d_field::planes::flows);
    }
    write_flows_current = true;
    if (!s.stop_erosion) RunSlopePass(R, W, scratch, workers);
}
