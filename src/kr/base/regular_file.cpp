#include "kr/base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "kr/base/huge_pages.h"

namespace KR {

namespace {

class descriptor {
  public:
    explicit descriptor(int fd) : fd(fd) {}
    ~descriptor() {
        if (fd >= 0) ::close(fd);
    }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
    const int fd;
};

// Not blocking, so that opening a pipe nobody writes to answers at once.
int OpenNonBlocking(const char* file_name) {
    return file_name ? ::open(file_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
}

}  // namespace

whole_file_read ReadWholeFile(const char* file_name, size_t max_size, whole_file& file) {
    const descriptor in(OpenNonBlocking(file_name));
    struct stat info {};
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return whole_file_read::cannot_read;
    if (info.st_size <= 0) return whole_file_read::empty;
    if (static_cast<uint64_t>(info.st_size) > max_size) return whole_file_read::too_large;
    const size_t size = static_cast<size_t>(info.st_size);
    auto data = std::make_unique_for_overwrite<char[]>(size + 1);
    AdviseHugePages(data.get(), size + 1);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(in.fd, data.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return whole_file_read::cannot_read;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    if (got == 0) return whole_file_read::empty;
    data[got] = 0;
    file.data = std::move(data);
    file.size = got;
    return whole_file_read::done;
}

std::FILE* OpenRegularFile(const char* file_name, size_t& size) {
    const int fd = OpenNonBlocking(file_name);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    size = static_cast<size_t>(info.st_size);
    return file;
}

}  // namespace KR
