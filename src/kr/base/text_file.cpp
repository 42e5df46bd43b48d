#include "kr/base/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>

#include "kr/base/error.h"
#include "kr/base/regular_file.h"

namespace KR {

std::string LoadTextFile(const char* file_name) {
    const char* place = "KR::LoadTextFile";
    size_t size = 0;
    std::FILE* file = OpenRegularFile(file_name, size);
    if (!file) throw ErrorFile(place, ": Failed to open the file.", file_name ? file_name : "");
    std::string text;
    try {
        text.resize(size);
    } catch (const std::exception&) {  // bad_alloc, or a size beyond what a string holds
        std::fclose(file);
        throw ErrorMem(place, std::string(": Not enough memory to load file ") + file_name + "!",
                       static_cast<uint32_t>(std::min<size_t>(size + 1, UINT32_MAX)));
    }
    const size_t got = std::fread(text.data(), 1, text.size(), file);
    std::fclose(file);
    // A file that shrank while we read it keeps what was there.
    text.resize(got);
    return text;
}

}  // namespace KR
