#pragma once
// One run of qor-sim with its options: generate a landscape (or load a scene), simulate,
// report on standard output and write the files asked for.

#include "sim_options.h"

// Answers the exit code: 0 done, 2 when the options cannot work together (Import Bitmap
// without an image). Files that cannot be read or written raise KR::Error family errors.
int RunSim(sim_options& options);
