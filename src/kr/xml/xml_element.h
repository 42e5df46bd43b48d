#pragma once
// XmlElement: a handle to one element of a parsed XML document. Handles are cheap to copy and
// share the document; the whole tree lives while any handle into it lives. An empty handle
// (the empty node) answers every query with "nothing". Names compare without regard to case.
//
// Loaders walking long lists of same-named children should either count up the index of
// Child(name, index) on one handle, which resumes after the previous match, or use the running
// position form Child(name, &position); both make a walk over a list linear.
//
// A handle is not safe to use from two threads at once (it keeps the last lookup); copies
// of it are independent.

#include <cstdint>
#include <memory>

#include "kr/xml/xml_result.h"
#include "kr/xml/xml_view.h"

namespace xml_detail {
struct XmlDocument;
struct XmlNodeData;
}  // namespace xml_detail

struct XmlClearSection {
    const char* open = nullptr;  // the opening marker as the reader knows it, e.g. "<!--"
    const char* content = nullptr;
    const char* close = nullptr;
};

class XmlElement {
  public:
    XmlElement() = default;

    // Reads and parses a file. With first_tag, the element of that name (the root itself, or
    // the first one found among its children, descending into declarations); else the root.
    // The empty node on any error; result, if given, tells which and where.
    static XmlElement FromFile(const char* file_name, const char* first_tag = nullptr,
                               XmlResult* result = nullptr);
    // The same on text in memory; the text is copied.
    static XmlElement FromText(const char* text, const char* first_tag = nullptr,
                               XmlResult* result = nullptr);

    bool IsEmpty() const { return document_ == nullptr; }
    // A view of this element, valid while this handle (or another into its document) lives.
    XmlView View() const { return XmlView(document_.get(), node_); }
    // nullptr for the empty node and for an unnamed root.
    const char* Name() const;
    // Whether the element was opened with "<?".
    bool IsDeclaration() const;

    int ChildCount() const;
    XmlElement ChildAt(int position) const;
    // The index-th (from 0) child element of that name.
    XmlElement Child(const char* name, int index = 0) const;
    // The first child of that name at or after *position; *position moves behind it. On no
    // match the position stays.
    XmlElement Child(const char* name, int* position) const;

    int AttributeCount() const;
    // The value of the first attribute of that name; nullptr if there is none or it has no value.
    const char* Attribute(const char* name) const;
    // The same from *position on, leaving *position behind the match.
    const char* Attribute(const char* name, int* position) const;
    // Both nullptr out of range.
    XmlAttribute AttributeAt(int index) const;
    bool HasAttribute(const char* name) const;

    // Text pieces: the trimmed, entity-decoded runs of text between tags, in order.
    int TextCount() const;
    const char* Text(int index) const;
    // Clear sections (CDATA, DOCTYPE, PRE, Script, comments), content as written.
    int ClearCount() const;
    XmlClearSection Clear(int index) const;

  private:
    XmlElement(std::shared_ptr<const xml_detail::XmlDocument> document, uint32_t node)
        : document_(std::move(document)), node_(node) {}
    static XmlElement Parse(std::shared_ptr<xml_detail::XmlDocument> document, size_t begin,
                            size_t end, const char* first_tag, XmlResult* result);
    template <class Load>
    static XmlElement ParseLoaded(Load load, const char* first_tag, XmlResult* result);
    const xml_detail::XmlNodeData& Data() const;
    int FindAttribute(const char* name, int from) const;

    std::shared_ptr<const xml_detail::XmlDocument> document_;
    uint32_t node_ = 0;
    // The last Child(name, index) match, so that counting the index up stays linear.
    mutable int last_index_ = -1;
    mutable uint32_t last_position_ = 0;
};
