#pragma once
// The command line of qor-sim.

#include <string>

struct sim_options {
    int size = 256;  // vertices per side
    int steps = 500;
    int threads = 0;  // 0: one per processor
    int seed = 1;
    std::string depth_image;  // where to write the water depths, if anywhere
    bool help = false;
};

// Reads the arguments; on a bad one fills error and answers false.
bool ParseSimOptions(int argc, char** argv, sim_options& options, std::string& error);

extern const char* const kSimUsage;
