#pragma once
// A base for objects that must lie on 16-byte boundaries (they hold SIMD vectors).

#include <cstddef>

namespace KR {

struct Align16 {
    static void* operator new(std::size_t size);
    static void* operator new[](std::size_t size);
    static void operator delete(void* pointer) noexcept;
    static void operator delete[](void* pointer) noexcept;
};

}  // namespace KR
