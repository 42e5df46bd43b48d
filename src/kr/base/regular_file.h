#pragma once
// Opening files that readers take whole: only a regular file has an end to read to, so a
// folder, a device such as /dev/zero or a pipe is refused (and a pipe without a writer does
// not block the program).

#include <cstddef>
#include <cstdio>
#include <memory>

#include "kr/base/byte_reader.h"
#include "kr/base/error.h"

namespace KR {

// Opens the file for reading as raw bytes and answers it with its size; nullptr when it cannot
// be opened or is not a regular file. The caller closes it.
std::FILE* OpenRegularFile(const char* file_name, size_t& size);

// A whole file in memory, with a zero byte after its last one.
struct whole_file {
    std::unique_ptr<char[]> data;
    size_t size = 0;
};

enum class whole_file_read { done, cannot_read, empty, too_large };

// Reads a regular file whole: empty when it holds nothing, too_large beyond max_size bytes
// (nothing is allocated then). A file that shrinks while it is read is taken as far as it goes.
whole_file_read ReadWholeFile(const char* file_name, size_t max_size, whole_file& file);

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
