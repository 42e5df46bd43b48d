#include "kr/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>

#include <sys/stat.h>

#include "kr/error.h"

namespace KR {

std::string LoadTextFile(const char* file_name) {
    const char* place = "KR::LoadTextFile";
    std::FILE* file = file_name ? std::fopen(file_name, "rb") : nullptr;
    if (!file) throw ErrorFile(place, ": Failed to open the file.", file_name ? file_name : "");
    // Only a regular file has a size to read; a directory opens but cannot be read.
    struct stat info {};
    const bool regular = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    const long long size = regular ? static_cast<long long>(info.st_size) : -1;
    if (size < 0) {
        std::fclose(file);
        throw ErrorFile(place, ": Failed to open the file.", file_name);
    }
    std::string text;
    try {
        text.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {  // bad_alloc, or a size beyond what a string holds
        std::fclose(file);
        throw ErrorMem(place, std::string(": Not enough memory to load file ") + file_name + "!",
                       static_cast<uint32_t>(std::min<long long>(size + 1, UINT32_MAX)));
    }
    const size_t got = std::fread(text.data(), 1, text.size(), file);
    std::fclose(file);
    // A file that shrank while we read it keeps what was there.
    text.resize(got);
    return text;
}

}  // namespace KR
