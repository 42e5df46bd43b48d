#include "kr/procedural/procedural_rows.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "kr/base/console.h"
#include "kr/base/error.h"

namespace KR {

namespace {

constexpr const char* kNoMemory = ": Not enough memory!";

// ErrorMem holds 32 bits; larger requests report the largest size it can say.
uint32_t ReportedSize(uint64_t bytes) {
    return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

// a * b, held at UINT64_MAX instead of wrapping, so a huge request stays huge.
uint64_t SaturatingProduct(uint64_t a, uint64_t b) {
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

// Sizes come from the configuration file; requests no array can have are refused before
// they reach the allocator.
template <class T>
std::unique_ptr<T[]> Allocate(const char* place, uint64_t count) {
    const uint64_t bytes = SaturatingProduct(count, sizeof(T));
    T* buffer =
        bytes > uint64_t(PTRDIFF_MAX) ? nullptr : new (std::nothrow) T[static_cast<size_t>(count)];
    if (!buffer) throw ErrorMem(place, kNoMemory, ReportedSize(bytes));
    return std::unique_ptr<T[]>(buffer);
}

}  // namespace

ProceduralImage AllocateImage(const char* place, uint32_t w, uint32_t h, uint32_t d) {
    ProceduralImage image;
    image.data =
        Allocate<uint8_t>(place, SaturatingProduct(SaturatingProduct(4u * uint64_t(w), h), d));
    image.width = w;
    image.height = h;
    image.depth = d;
    return image;
}

std::unique_ptr<float[]> AllocateFloats(const char* place, uint64_t count) {
    return Allocate<float>(place, count);
}

void ForEachRow(uint32_t count, unsigned threads, uint32_t dot_every,
                const std::function<void(uint32_t)>& body) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    if (threads > count) threads = count > 0 ? count : 1;
    std::atomic<uint32_t> next{0};
    std::atomic<uint32_t> dots_due{0};
    auto is_dot_row = [dot_every](uint32_t row) { return dot_every != 0 && row % dot_every == 0; };
    auto work = [&] {
        for (uint32_t row = next++; row < count; row = next++) {
            body(row);
            if (is_dot_row(row)) ++dots_due;
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads only make it slower
        }
    }
    uint32_t dots_written = 0;
    for (uint32_t row = next++; row < count; row = next++) {
        body(row);
        if (is_dot_row(row)) ++dots_due;
        for (; dots_written < dots_due.load(); ++dots_written)
            console << ".";
    }
    for (std::thread& helper : helpers)
        helper.join();
    for (; dots_written < dots_due.load(); ++dots_written)
        console << ".";
}

}  // namespace KR
