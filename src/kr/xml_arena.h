#pragma once
// A growing array in fixed chunks for the parsed tree: appending never moves what is stored,
// so a large document never holds an old and a new copy of its nodes at once, and at most one
// chunk stands unused. The first chunk starts small and doubles, for the many small documents.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace xml_detail {

template <class T>
class XmlArena {
  public:
    static constexpr int kShift = 14;
    static constexpr uint32_t kChunk = 1u << kShift;

    uint32_t Size() const { return size_; }

    void Push(const T& value) {
        if (size_ == capacity_) Grow();
        chunks_[size_ >> kShift][size_ & (kChunk - 1)] = value;
        ++size_;
    }
    void Pop() { --size_; }

    T& operator[](uint32_t i) { return chunks_[i >> kShift][i & (kChunk - 1)]; }
    const T& operator[](uint32_t i) const { return chunks_[i >> kShift][i & (kChunk - 1)]; }

  private:
    static constexpr uint32_t kFirst = 16;

    void Grow() {
        if (size_ == UINT32_MAX) throw std::bad_alloc();
        if (capacity_ >= kChunk) {
            chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
            capacity_ += kChunk;
            return;
        }
        uint32_t grown = capacity_ == 0 ? kFirst : capacity_ * 2;
        auto first = std::make_unique_for_overwrite<T[]>(grown);
        if (capacity_ != 0) std::copy_n(chunks_[0].get(), size_, first.get());
        if (chunks_.empty()) chunks_.emplace_back();
        chunks_[0] = std::move(first);
        capacity_ = grown;
    }

    std::vector<std::unique_ptr<T[]>> chunks_;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};

}  // namespace xml_detail
