#include "kr/base/data_files.h"

#include <filesystem>
#include <system_error>

namespace KR {

const std::string& ExecutableFolder() {
    static const std::string folder = [] {
        std::error_code error;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::string() : exe.parent_path().string() + "/";
    }();
    return folder;
}

std::string DataFilePath(const std::string& name) {
    if (!name.empty() && name.front() != '/' && !ExecutableFolder().empty()) {
        // Beside the program (the build tree), then where an installed program keeps its
        // data (<prefix>/bin/qor and <prefix>/share/qor/).
        for (const char* folder : {"", "../share/qor/"}) {
            std::string candidate = ExecutableFolder() + folder + name;
            std::error_code error;
            if (std::filesystem::is_regular_file(candidate, error)) return candidate;
        }
    }
    return name;
}

}  // namespace KR
