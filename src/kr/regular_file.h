#pragma once
// Opening files that readers take whole: only a regular file has an end to read to, so a
// folder, a device such as /dev/zero or a pipe is refused (and a pipe without a writer does
// not block the program).

#include <cstddef>
#include <cstdio>
#include <memory>

#include "kr/byte_reader.h"
#include "kr/error.h"

namespace KR {

// Opens the file for reading as raw bytes and answers it with its size; nullptr when it cannot
// be opened or is not a regular file. The caller closes it.
std::FILE* OpenRegularFile(const char* file_name, size_t& size);

// Answers read(reader) for a reader over the whole regular file; raises KR::ErrorFile at place
// (": Can't open the file!") when it cannot be opened.
template <class Read>
auto ReadRegularFile(const char* file_name, const char* place, Read read) {
    size_t size = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(file_name, size),
                                                               std::fclose);
    if (!file) throw ErrorFile(place, ": Can't open the file!", file_name ? file_name : "");
    ByteReader in(file.get(), size, file_name);
    return read(in);
}

}  // namespace KR
