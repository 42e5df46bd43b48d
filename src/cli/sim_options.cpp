#include "sim_options.h"

#include <charconv>
#include <cstring>

const char* const kSimUsage =
    "Usage: qor-sim [options]\n"
    "Floods a noise landscape, lets the water run and reports what it did.\n"
    "\n"
    "  --size N          vertices per side of the grid, 2 ... 1024 (default 256)\n"
    "  --steps N         simulation steps to run, 0 ... 1000000 (default 500)\n"
    "  --threads N       threads for each step, 1 ... 64 (default: one per processor)\n"
    "  --seed N          seed of the landscape, 0 ... 2147483647 (default 1)\n"
    "  --depth-bmp FILE  write the water depths as a grey image (black dry, white deep)\n"
    "  --help            show this text\n";

namespace {

bool ReadInt(const char* text, int low, int high, int& value) {
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
        struct numeric {
            const char* name;
            int low, high;
            int* value;
        } numerics[] = {{"--size", 2, 1024, &options.size},
                        {"--steps", 0, 1000000, &options.steps},
                        {"--threads", 1, 64, &options.threads},
                        {"--seed", 0, 2147483647, &options.seed}};
        bool known = false;
        for (const numeric& n : numerics) {
            if (name != n.name) continue;
            known = true;
            if (i + 1 >= argc || !ReadInt(argv[i + 1], n.low, n.high, *n.value)) {
                error = name + " needs a whole number from " + std::to_string(n.low) + " to " +
                        std::to_string(n.high);
                return false;
            }
            ++i;
        }
        if (known) continue;
        if (name == "--depth-bmp") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                error = "--depth-bmp needs a file name";
                return false;
            }
            options.depth_image = argv[++i];
            continue;
        }
        error = "unknown argument: " + name;
        return false;
    }
    return true;
}
