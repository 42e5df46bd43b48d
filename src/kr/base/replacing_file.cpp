#include "kr/base/replacing_file.h"

#include <filesystem>
#include <system_error>

#include "kr/base/error.h"

namespace KR {

ReplacingFile::ReplacingFile(const char* file_name, const char* place)
    : name(file_name), temporary(name + ".saving"), place(place) {
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status))
        file = std::fopen(temporary.c_str(), "wb");
    if (!file) throw ErrorFile(place, ": Can't create the file!", name);
}

ReplacingFile::~ReplacingFile() {
    if (!file) return;
    std::fclose(file);
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
}

void ReplacingFile::Write(const void* data, size_t size) {
    if (size && std::fwrite(data, 1, size, file) != size) Fail();
}

void ReplacingFile::Commit() {
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    std::error_code error;
    if (closed) std::filesystem::rename(temporary, name, error);
    if (!closed || error) {
        std::filesystem::remove(temporary, error);
        Fail();
    }
}

void ReplacingFile::Fail() const {
    throw ErrorFile(place, ": Can't write the file!", name);
}

}  // namespace KR
