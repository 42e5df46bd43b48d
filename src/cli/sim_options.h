#pragma once
// The command line of qor-sim.

#include <string>

struct sim_options {
    std::string config;   // configuration file, read first
    std::string load;     // scene file to start from instead of generating
    int size = 0;         // vertices per side of a generated terrain (0: configuration)
    int algorithm = -1;   // generation algorithm (-1: configuration)
    std::string import;   // the image Import Bitmap reads (and so chooses, unless told otherwise)
    long long seed = -1;  // landscape seed (-1: from the clock, and reported)
    int steps = 500;
    int threads = 0;            // 0: one per processor
    std::string save;           // scene file to write at the end
    std::string heights_image;  // ground heights as a grey image
    std::string depth_image;    // water depths as a grey image
    std::string snapshot;       // one frame of the final scene as a bitmap
    std::string frames;         // folder of the time-lapse frames
    int every = 0;              // steps between time-lapse frames (0: only with --frames, 10)
    int image_width = 800;      // size of the drawn frames
    int image_height = 600;
    bool camera_given = false;  // heading, pitch and distance of the view (else the scene's)
    float camera[3] = {0, 0, 0};
    bool help = false;

    // Height maps at full precision.
    std::string import_heights;  // the ground is generated from it
    std::string export_heights;  // ground heights written at the end
    std::string export_depth;    // water depths written at the end
    bool image_given = false;    // --image was given: it also sizes an imported .r32

    bool Draws() const { return !snapshot.empty() || !frames.empty(); }
};

// Reads the arguments; on a bad one fills error and answers false.
bool ParseSimOptions(int argc, char** argv, sim_options& options, std::string& error);

extern const char* const kSimUsage;
