#pragma once
// Writing a file through a temporary beside it: the target is replaced only when everything
// was written, so a failed write leaves the old file whole. Only a regular file is replaced,
// never a folder or a device.

#include <cstddef>
#include <cstdio>
#include <string>

namespace KR {

class ReplacingFile {
  public:
    // Raises KR::ErrorFile at place (": Can't create the file!") when it cannot be created.
    ReplacingFile(const char* file_name, const char* place);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    std::FILE* Get() const { return file; }
    // Raises KR::ErrorFile (": Can't write the file!") when the bytes cannot be written.
    void Write(const void* data, size_t size);
    // Closes the temporary and puts it in the target's place; raises KR::ErrorFile on failure.
    void Commit();
    [[noreturn]] void Fail() const;

  private:
    std::string name, temporary, place;
    std::FILE* file = nullptr;
};

}  // namespace KR
