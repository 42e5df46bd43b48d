#pragma once
// Opening files that readers take whole: only a regular file has an end to read to, so a
// folder, a device such as /dev/zero or a pipe is refused (and a pipe without a writer does
// not block the program).

#include <cstddef>
#include <cstdio>

namespace KR {

// Opens the file for reading as raw bytes and answers it with its size; nullptr when it cannot
// be opened or is not a regular file. The caller closes it.
std::FILE* OpenRegularFile(const char* file_name, size_t& size);

}  // namespace KR
