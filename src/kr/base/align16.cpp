#include "kr/base/align16.h"

#include <cstdint>
#include <cstdlib>

#include "kr/base/error.h"

namespace KR {
namespace {

void* AllocateAligned(std::size_t size, const char* place) {
    void* pointer = nullptr;
    if (posix_memalign(&pointer, 16, size ? size : 1) != 0 || pointer == nullptr)
        throw ErrorMem(place, ": _aligned_malloc(size,16)==0",
                       size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size));
    return pointer;
}

}  // namespace

void* Align16::operator new(std::size_t size) {
    return AllocateAligned(size, "KR::Align16::operator new");
}

void* Align16::operator new[](std::size_t size) {
    return AllocateAligned(size, "KR::Align16::operator new[]");
}

void Align16::operator delete(void* pointer) noexcept {
    std::free(pointer);
}

void Align16::operator delete[](void* pointer) noexcept {
    std::free(pointer);
}

}  // namespace KR
