#pragma once
// XmlView: a handle to one element that does not share ownership of the document. It answers
// the same queries as XmlElement but copies without touching a reference count, so a loader
// can walk millions of elements cheaply. It is valid only while an XmlElement of the same
// document lives. The empty view answers every query with "nothing". Defined here, so that a
// loader's walk compiles into plain array reads.

#include <cstdint>

#include "kr/xml/detail/xml_chars.h"
#include "kr/xml/detail/xml_document.h"

struct XmlAttribute {
    const char* name = nullptr;
    const char* value = nullptr;  // nullptr for an attribute written without "="
};

class XmlView {
  public:
    XmlView() = default;

    bool IsEmpty() const { return document_ == nullptr; }
    // nullptr for the empty view and for an unnamed root.
    const char* Name() const;

    int ChildCount() const;
    XmlView ChildAt(int position) const;
    // The first child of that name.
    XmlView Child(const char* name) const;
    // The first child of that name at or after *position; *position moves behind it. On no
    // match the position stays.
    XmlView Child(const char* name, int* position) const;

    int AttributeCount() const;
    // The value of the first attribute of that name; nullptr if there is none or it has no value.
    const char* Attribute(const char* name) const;
    // Both nullptr out of range.
    XmlAttribute AttributeAt(int index) const;

  private:
    friend class XmlElement;
    XmlView(const xml_detail::XmlDocument* document, uint32_t node)
        : document_(document), node_(node) {}
    const xml_detail::XmlNodeData& Data() const;

    const xml_detail::XmlDocument* document_ = nullptr;
    uint32_t node_ = 0;
};

inline const xml_detail::XmlNodeData& XmlView::Data() const {
    return document_->nodes[node_];
}

inline const char* XmlView::Name() const {
    return IsEmpty() ? nullptr : document_->String(Data().name);
}

inline int XmlView::ChildCount() const {
    return IsEmpty() ? 0 : static_cast<int>(Data().child_count);
}

inline XmlView XmlView::ChildAt(int position) const {
    if (position < 0 || position >= ChildCount()) return {};
    return XmlView(document_, document_->children[Data().first_child + position]);
}

inline XmlView XmlView::Child(const char* name) const {
    int position = 0;
    return Child(name, &position);
}

inline XmlView XmlView::Child(const char* name, int* position) const {
    if (IsEmpty() || name == nullptr || *position < 0) return {};
    const xml_detail::XmlDocument& doc = *document_;
    const xml_detail::XmlNodeData& data = Data();
    for (uint32_t i = static_cast<uint32_t>(*position); i < data.child_count; ++i) {
        uint32_t child = doc.children[data.first_child + i];
        if (xml_detail::NamesEqual(doc.String(doc.nodes[child].name), name)) {
            *position = static_cast<int>(i + 1);
            return XmlView(document_, child);
        }
    }
    return {};
}

inline int XmlView::AttributeCount() const {
    return IsEmpty() ? 0 : static_cast<int>(Data().attribute_count);
}

inline const char* XmlView::Attribute(const char* name) const {
    if (IsEmpty() || name == nullptr) return nullptr;
    const xml_detail::XmlNodeData& data = Data();
    for (uint32_t i = 0; i < data.attribute_count; ++i) {
        const auto& a = document_->attributes[data.first_attribute + i];
        if (xml_detail::NamesEqual(document_->String(a.name), name))
            return document_->String(a.value);
    }
    return nullptr;
}

inline XmlAttribute XmlView::AttributeAt(int index) const {
    if (index < 0 || index >= AttributeCount()) return {};
    const auto& a = document_->attributes[Data().first_attribute + index];
    return {document_->String(a.name), document_->String(a.value)};
}
