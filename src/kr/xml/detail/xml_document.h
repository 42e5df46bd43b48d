#pragma once
// The storage behind XmlElement handles: the loaded text, rewritten in place so that every
// name, value and text is a zero-terminated string inside it, and the tree in compact arrays
// that refer to the text by offset. One document owns a whole tree; handles share it.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "kr/base/huge_pages.h"

// A growing array in fixed chunks for the parsed tree: appending never moves what is stored,
// so a large document never holds an old and a new copy of its nodes at once, and at most one
// chunk stands unused. The first chunk starts small and doubles, for the many small documents.
// Chunks are 8 MB, large enough to be faulted in as huge pages.

namespace xml_detail {

template <class T>
class XmlArena {
  public:
    static_assert(std::has_single_bit(sizeof(T)));
    static constexpr int kShift = std::countr_zero((size_t(8) << 20) / sizeof(T));
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
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

    // Raw storage: every element is written before it is read, and nothing may touch a chunk's
    // pages before the advice on them is given.
    struct Release {
        void operator()(T* chunk) const { ::operator delete(chunk); }
    };
    using Chunk = std::unique_ptr<T[], Release>;
    static Chunk Allocate(uint32_t count) {
        return Chunk(static_cast<T*>(::operator new(size_t(count) * sizeof(T))));
    }

    void Grow() {
        if (size_ == UINT32_MAX) throw std::bad_alloc();
        if (capacity_ >= kChunk) {
            chunks_.push_back(Allocate(kChunk));
            KR::AdviseHugePages(chunks_.back().get(), kChunk * sizeof(T));
            capacity_ += kChunk;
            return;
        }
        uint32_t grown = capacity_ == 0 ? kFirst : capacity_ * 2;
        Chunk first = Allocate(grown);
        if (capacity_ != 0) std::copy_n(chunks_[0].get(), size_, first.get());
        if (chunks_.empty()) chunks_.emplace_back();
        chunks_[0] = std::move(first);
        capacity_ = grown;
    }

    std::vector<Chunk> chunks_;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};

}  // namespace xml_detail

namespace xml_detail {

constexpr uint32_t kNone = UINT32_MAX;

struct XmlNodeData {
    uint32_t name = kNone;  // none for the unnamed root the parser creates
    uint32_t first_attribute = 0;
    uint32_t attribute_count = 0;
    uint32_t first_child = 0;  // into XmlDocument::children
    uint32_t child_count = 0;
    uint32_t first_piece = 0;  // into XmlDocument::pieces
    uint32_t piece_count = 0;
    uint32_t declaration = 0;  // opened with "<?"
};

struct XmlAttributeData {
    uint32_t name;
    uint32_t value;  // none for an attribute written without "="
};

// A text piece (kind 0) or a clear section (kind 1 + its marker's index), in document order.
struct XmlPieceData {
    uint32_t text;
    uint32_t kind;
};

struct XmlDocument {
    std::unique_ptr<char[]> buffer;
    XmlArena<XmlNodeData> nodes;
    XmlArena<XmlAttributeData> attributes;
    XmlArena<uint32_t> children;  // node indices, each element's children side by side
    XmlArena<XmlPieceData> pieces;

    const char* String(uint32_t offset) const {
        return offset == kNone ? nullptr : buffer.get() + offset;
    }
};

}  // namespace xml_detail
