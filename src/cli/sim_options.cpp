#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "terrain/height_map.h"

const char* const kSimUsage =
    "Usage: qor-sim [options]\n"
    "Generates a landscape (or loads a scene), floods it, lets the water run and reports.\n"
    "\n"
    "  --config FILE       read the program's configuration file first\n"
    "  --load FILE         start from a scene file instead of generating a landscape\n"
    "  --size N            vertices per side of the generated landscape, 10 ... 1024\n"
    "  --algorithm N       0 random points, 1 faulting, 2 Perlin noise (the default),\n"
    "                      3 import bitmap (needs --import)\n"
    "  --import FILE       the image (BMP, TEX or CEL) whose brightness becomes the heights\n"
    "  --import-heights FILE\n"
    "                      generate the ground from a height map (.png, .pgm or .r32) at\n"
    "                      --size; PNG and PGM span their recorded range, else the\n"
    "                      configuration's; an .r32 is square unless --image gives its size\n"
    "  --seed N            seed of the landscape, 0 ... 2147483647 (default: from the clock)\n"
    "  --steps N           simulation steps to run, 0 ... 1000000 (default 500)\n"
    "  --threads N         threads for each step, 1 ... 64 (default: one per processor)\n"
    "  --save FILE         save the scene at the end\n"
    "  --heights-bmp FILE  write the ground heights as a grey image (black low, white high)\n"
    "  --depth-bmp FILE    write the water depths as a grey image (black dry, white deep)\n"
    "  --export-heights FILE\n"
    "                      write the ground heights at full precision: .png or .pgm (16-bit,\n"
    "                      with the range they span) or .r32 (32-bit floats, in metres)\n"
    "  --export-depth FILE the same for the water depths\n"
    "  --snapshot FILE     draw the final scene offscreen into a bitmap (needs an X display:\n"
    "                      run under xvfb-run where there is none)\n"
    "  --frames DIR        draw a time-lapse while the water runs: DIR/frame-000001.bmp, ...\n"
    "  --every N           steps between time-lapse frames, 1 ... 1000000 (default 10)\n"
    "  --image WxH         size of the drawn pictures, 16x16 ... 8192x8192 (default 800x600),\n"
    "                      and of an .r32 height map that --import-heights reads\n"
    "  --camera H,P,D      heading and pitch in degrees and distance of the view\n"
    "                      (default: the scene's view)\n"
    "  --help              show this text\n";

namespace {

// "W" "x" "H" with both sides within 16 ... 8192.
bool ReadImageSize(const char* text, int& width, int& height) {
    const char* end = text + std::strlen(text);
    const char* x = std::find(text, end, 'x');
    if (x == end) return false;
    auto [w_end, w_error] = std::from_chars(text, x, width);
    auto [h_end, h_error] = std::from_chars(x + 1, end, height);
    return w_error == std::errc() && w_end == x && h_error == std::errc() && h_end == end &&
           width >= 16 && width <= 8192 && height >= 16 && height <= 8192;
}

// Three numbers separated by commas: heading, pitch, distance.
bool ReadCamera(const char* text, float camera[3]) {
    const char* p = text;
    const char* end = text + std::strlen(text);
    for (int k = 0; k < 3; ++k) {
        const char* stop = k < 2 ? std::find(p, end, ',') : end;
        auto [number_end, error] = std::from_chars(p, stop, camera[k]);
        if (error != std::errc() || number_end != stop || !std::isfinite(camera[k])) return false;
        if (k < 2 && stop == end) return false;
        p = stop + 1;
    }
    return camera[2] >= 0;
}

template <class T>
bool ReadNumber(const char* text, T low, T high, T& value) {
    const char* end = text + std::strlen(text);
    auto [stop, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && stop == end && value >= low && value <= high;
}

}  // namespace

bool ParseSimOptions(int argc, char** argv, sim_options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&](auto low, auto high, auto& target) {
            if (value && ReadNumber(value, low, high, target)) return true;
            error = name + " needs a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high);
            return false;
        };
        auto file = [&](std::string& target) {
            if (value && *value) {
                target = value;
                return true;
            }
            error = name + " needs a file name";
            return false;
        };
        auto height_map = [&](std::string& target) {
            if (value && IsHeightMapName(value)) {
                target = value;
                return true;
            }
            error = name + " needs a .png, .pgm or .r32 file";
            return false;
        };
        bool ok;
        if (name == "--size")
            ok = number(10, 1024, options.size);
        else if (name == "--algorithm")
            ok = number(0, 3, options.algorithm);
        else if (name == "--seed")
            ok = number(0LL, 2147483647LL, options.seed);
        else if (name == "--steps")
            ok = number(0, 1000000, options.steps);
        else if (name == "--threads")
            ok = number(1, 64, options.threads);
        else if (name == "--config")
            ok = file(options.config);
        else if (name == "--load")
            ok = file(options.load);
        else if (name == "--import")
            ok = file(options.import);
        else if (name == "--save")
            ok = file(options.save);
        else if (name == "--snapshot")
            ok = file(options.snapshot);
        else if (name == "--frames")
            ok = file(options.frames);
        else if (name == "--every")
            ok = number(1, 1000000, options.every);
        else if (name == "--image") {
            ok = value && ReadImageSize(value, options.image_width, options.image_height);
            if (!ok) error = "--image needs a size WxH, each side 16 ... 8192";
            options.image_given = ok;
        } else if (name == "--camera") {
            ok = value && ReadCamera(value, options.camera);
            options.camera_given = ok;
            if (!ok)
                error = "--camera needs heading,pitch,distance (numbers, distance not negative)";
        } else if (name == "--heights-bmp")
            ok = file(options.heights_image);
        else if (name == "--depth-bmp")
            ok = file(options.depth_image);
        else if (name == "--import-heights")
            ok = height_map(options.import_heights);
        else if (name == "--export-heights")
            ok = height_map(options.export_heights);
        else if (name == "--export-depth")
            ok = height_map(options.export_depth);
        else {
            error = "unknown argument: " + name;
            return false;
        }
        if (!ok) return false;
        ++i;
    }
    if (options.every > 0 && options.frames.empty()) {
        error = "--every goes with --frames";
        return false;
    }
    if (!options.import.empty() &&
        (!options.load.empty() || (options.algorithm >= 0 && options.algorithm != 3))) {
        error = "--import goes with --algorithm 3 (import bitmap) only, not with --load";
        return false;
    }
    if (!options.import_heights.empty() &&
        (!options.load.empty() || !options.import.empty() || options.algorithm >= 0)) {
        error = "--import-heights goes with neither --load, --import nor --algorithm";
        return false;
    }
    return true;
}
