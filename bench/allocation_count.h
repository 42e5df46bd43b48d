#pragma once
// Counts the heap allocations of a benchmark program by replacing the global operator new.
// Include it in one source file of the program only.

#include <atomic>
#include <cstdlib>
#include <new>

namespace bench {
inline std::atomic<long> allocations{0};
}  // namespace bench

void* operator new(size_t size) {
    ++bench::allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
