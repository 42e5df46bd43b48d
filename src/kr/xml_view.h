#pragma once
// XmlView: a handle to one element that does not share ownership of the document. It answers
// the same queries as XmlElement but copies without touching a reference count, so a loader
// can walk millions of elements cheaply. It is valid only while an XmlElement of the same
// document lives. The empty view answers every query with "nothing".

#include <cstdint>

namespace xml_detail {
struct XmlDocument;
struct XmlNodeData;
}  // namespace xml_detail

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
