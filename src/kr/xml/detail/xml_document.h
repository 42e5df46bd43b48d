#pragma once
// The storage behind XmlElement handles: the loaded text, rewritten in place so that every
// name, value and text is a zero-terminated string inside it, and the tree in compact arrays
// that refer to the text by offset. One document owns a whole tree; handles share it.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "kr/xml/detail/xml_arena.h"

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
