// qor-sim: the simulation without a window, for scripts, experiments and benchmarks.

#include <cstdio>
#include <exception>
#include <string>

#include "kr/base/error.h"
#include "sim_options.h"
#include "sim_run.h"

int main(int argc, char** argv) {
    sim_options options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qor-sim: %s\n\n%s", error.c_str(), kSimUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kSimUsage, stdout);
        return 0;
    }
    try {
        return RunSim(options);
    } catch (const KR::Error& e) {
        std::fprintf(stderr, "qor-sim: %s\n", e.FullText().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qor-sim: %s\n", e.what());
    }
    return 1;
}
