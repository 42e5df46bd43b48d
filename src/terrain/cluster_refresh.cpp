// The hand-over of a finished step: swap the fields, copy the new state into the write field
// and refill the draw buffers from the read field. Runs between steps, never during one.
//
// First the new ground and water are copied into the write field, noting which rows of
// ground the step changed (with the slope collapse off, none): the ground the draw buffers
// already show is not written again. Then each thread sweeps a band of rows into the draw
// buffers (draw_sweep.cpp).
//
// The write field's flows are not copied: the next step's flow pass overwrites every one of
// them before anything reads them. They are copied only when no flow pass comes between two
// hand-overs (see cluster::Step and write_flows_current).

#include <algorithm>
#include <cstring>
#include <tuple>

#include "terrain/cluster.h"
#include "terrain/draw_sweep.h"
#include "terrain/simulation_settings.h"
#include "terrain/step_timing.h"
#include "terrain/step_workers.h"

namespace {

constexpr int kMaxParts = 64;

int Split(int rows, int index, int parts) {
    return int(int64_t(rows) * index / parts);
}

}  // namespace

int cluster::Parts(const step_workers* workers, int rows) const {
    if (!workers || scratch.thread_choice.Crowded()) return 1;
    return std::clamp(std::min(workers->Count(), rows), 1, kMaxParts);
}

void cluster::SwapAndRefresh(const simulation_settings& s, float& z_min, float& z_max,
                             step_workers* workers) {
    step_timing* timing = workers ? workers->timing : nullptr;
    const bool ground_drawn = drawn_ground_current;  // the read field's, before the swap
    {
        timed_part timed(timing, 0, step_timing::kSwap);
        // No flow pass wrote the write field's flows since the last hand-over: they must be
        // the read field's before the write field is read.
        if (!write_flows_current && read_field->IsAllocated() && write_field->IsAllocated()) {
            write_field->CheckCopySource(*read_field);
            write_field->CopyRows(*read_field, 1, read_field->Height() - 1,
                                  vertex_2d_field::planes::flows);
        }
        std::swap(read_field, write_field);
        // The step left scratch values on the ring of what is now the read field.
        read_field->PrepareRing();
        write_field->CheckCopySource(*read_field);
    }
    if (vertex_data.empty()) {
        timed_part timed(timing, 0, step_timing::kCopy);
        write_field->SwitchCopy(*read_field);
        return;
    }
    // The new ground and water into the write field. Its ground is what the draw buffers
    // show, so a row whose ground is the same need not be copied nor drawn again.
    const int rows = read_field->Height() - 2;
    if (ground_changed.size() != size_t(rows)) ground_changed.assign(size_t(rows), 1);
    const vertex_2d_field& R = *read_field;
    vertex_2d_field& W = *write_field;
    const size_t row_bytes = size_t(R.Width() - 2) * sizeof(float);
    auto copy = [&](int first, int end, int thread) {
        timed_part timed(timing, thread, step_timing::kCopy);
        for (int k = first; k < end; ++k) {
            const size_t at = R.Index(1, k + 1);
            const bool changed =
                !ground_drawn || std::memcmp(R.Terrain() + at, W.Terrain() + at, row_bytes) != 0;
            ground_changed[size_t(k)] = changed;
            W.CopyRows(R, k + 1, k + 2,
                       changed ? vertex_2d_field::planes::ground_and_water
                               : vertex_2d_field::planes::water);
        }
    };
    const int parts = Parts(workers, rows);
    if (parts == 1)
        copy(0, rows, 0);
    else
        workers->Run([&](int t) {
            if (t < parts) copy(Split(rows, t, parts), Split(rows, t + 1, parts), t);
        });
    write_field->FinishCopyKeepingRing(*read_field);
    write_flows_current = false;
    Refresh(s, z_min, z_max, workers, ground_changed.data());
}

void cluster::RefreshBuffers(const simulation_settings& s, float& z_min, float& z_max,
                             step_workers* workers) {
    if (vertex_data.empty() || !read_field->IsAllocated()) return;
    Refresh(s, z_min, z_max, workers, nullptr);
}

void cluster::Refresh(const simulation_settings& s, float& z_min, float& z_max,
                      step_workers* workers, const uint8_t* changed) {
    step_timing* timing = workers ? workers->timing : nullptr;
    const int parts = Parts(workers, size_y);
    const size_t band_floats = DrawSweepFloats(read_field->Stride());
    if (refresh_rows.size() < band_floats * size_t(parts))
        refresh_rows.assign(band_floats * size_t(parts), 0.0f);
    float mins[kMaxParts], maxs[kMaxParts];
    auto run = [&](int t) {
        if (t >= parts) return;
        std::tie(mins[t], maxs[t]) =
            SweepDrawRows(*this, s, changed, timing, refresh_rows.data() + band_floats * size_t(t),
                          t, z_min, z_max, Split(size_y, t, parts), Split(size_y, t + 1, parts));
    };
    if (parts == 1)
        run(0);
    else
        workers->Run(run);
    for (int t = 0; t < parts; ++t) {
        if (mins[t] < z_min) z_min = mins[t];
        if (maxs[t] > z_max) z_max = maxs[t];
    }
    drawn_ground_current = true;
}
