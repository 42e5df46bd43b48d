#include "kr/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KR {

std::FILE* OpenRegularFile(const char* file_name, size_t& size) {
    if (!file_name) return nullptr;
    // Not blocking, so that opening a pipe nobody writes to answers at once.
    const int fd = ::open(file_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
