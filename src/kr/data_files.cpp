#include "kr/data_files.h"

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
        std::string beside = ExecutableFolder() + name;
        std::error_code error;
        if (std::filesystem::is_regular_file(beside, error)) return beside;
    }
    return name;
}

}  // namespace KR
