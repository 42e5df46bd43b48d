#include "kr/xml_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "kr/xml_arena.h"
#include "kr/xml_result.h"
#include "kr/xml_unicode.h"

namespace xml_detail {
namespace {

class FileHandle {
  public:
    // Not blocking, so that a pipe without a writer is refused at once rather than waited on.
    explicit FileHandle(const char* name) : fd_(::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

// Reads up to size bytes; fewer if the file shrank meanwhile, -1 on a read error.
ssize_t ReadAll(int fd, char* data, size_t size) {
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

}  // namespace

int LoadXmlFile(const char* file_name, XmlSource* source) {
    if (file_name == nullptr) return kXmlFileNotFound;
    FileHandle file(file_name);
    struct stat info;
    if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return kXmlFileNotFound;
    }
    if (info.st_size <= 0 || static_cast<uint64_t>(info.st_size) > kMaxXmlText) {
        return kXmlNoXmlData;
    }
    size_t size = static_cast<size_t>(info.st_size);
    auto buffer = std::make_unique_for_overwrite<char[]>(size + 1);
    AdviseHugePages(buffer.get(), size + 1);
    ssize_t got = ReadAll(file.fd(), buffer.get(), size);
    if (got < 0) return kXmlFileNotFound;
    if (got == 0) return kXmlNoXmlData;
    size = static_cast<size_t>(got);
    buffer[size] = 0;

    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
    Utf16Guess guess = DetectUtf16(bytes, size);
    if (guess.order != Utf16Order::kNone) {
        std::unique_ptr<char[]> converted;
        size_t length = 0;
        if (!Utf16ToUtf8(bytes + guess.bom_size, size - guess.bom_size,
                         guess.order == Utf16Order::kBigEndian, converted, length)) {
            return kXmlUnicodeConversion;
        }
        if (length > kMaxXmlText) return kXmlNoXmlData;
        source->buffer = std::move(converted);
        source->begin = 0;
        source->end = length;
        return kXmlNoError;
    }
    bool bom = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    source->buffer = std::move(buffer);
    source->begin = bom ? 3 : 0;
    source->end = size;
    return kXmlNoError;
}

int CopyXmlText(const char* text, XmlSource* source) {
    size_t size = text == nullptr ? 0 : std::strlen(text);
    if (size > kMaxXmlText) return kXmlNoXmlData;
    source->buffer = std::make_unique_for_overwrite<char[]>(size + 1);
    if (size > 0) std::memcpy(source->buffer.get(), text, size);
    source->buffer[size] = 0;
    source->begin = 0;
    source->end = size;
    return kXmlNoError;
}

}  // namespace xml_detail
