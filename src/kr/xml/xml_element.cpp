#include "kr/xml/xml_element.h"

#include <new>

#include "kr/xml/detail/xml_chars.h"
#include "kr/xml/detail/xml_document.h"
#include "kr/xml/detail/xml_parser.h"
#include "kr/xml/detail/xml_scanner.h"
#include "kr/xml/detail/xml_source.h"

using xml_detail::NamesEqual;
using xml_detail::XmlDocument;
using xml_detail::XmlNodeData;

namespace {

void Report(XmlResult* result, int code, int line = 0, int column = 0) {
    if (result != nullptr) *result = {code, line, column};
}

}  // namespace

// Parses what a loader produced; reading or loading failures become the result's code.
template <class Load>
XmlElement XmlElement::ParseLoaded(Load load, const char* first_tag, XmlResult* result) {
    try {
        xml_detail::XmlSource source;
        const int code = load(source);
        if (code != kXmlNoError) {
            Report(result, code);
            return {};
        }
        auto doc = std::make_shared<XmlDocument>();
        doc->buffer = std::move(source.buffer);
        return Parse(std::move(doc), source.begin, source.end, first_tag, result);
    } catch (const std::bad_alloc&) {
        Report(result, kXmlNoXmlData);  // too large for this machine
        return {};
    }
}

XmlElement XmlElement::FromFile(const char* file_name, const char* first_tag, XmlResult* result) {
    return ParseLoaded(
        [&](xml_detail::XmlSource& source) { return xml_detail::LoadXmlFile(file_name, &source); },
        first_tag, result);
}

XmlElement XmlElement::FromText(const char* text, const char* first_tag, XmlResult* result) {
    return ParseLoaded(
        [&](xml_detail::XmlSource& source) { return xml_detail::CopyXmlText(text, &source); },
        first_tag, result);
}

XmlElement XmlElement::Parse(std::shared_ptr<XmlDocument> doc, size_t begin, size_t end,
                             const char* first_tag, XmlResult* result) {
    char* text = doc->buffer.get();
    uint32_t root = 0;
    XmlResult outcome = xml_detail::ParseXml(*doc, text + begin, text + end, first_tag, &root);
    Report(result, outcome.error, outcome.line, outcome.column);
    if (!XmlSucceeded(outcome.error)) return {};
    return XmlElement(std::move(doc), root);
}

const XmlNodeData& XmlElement::Data() const {
    return document_->nodes[node_];
}

const char* XmlElement::Name() const {
    return View().Name();
}

bool XmlElement::IsDeclaration() const {
    return !IsEmpty() && Data().declaration != 0;
}

int XmlElement::ChildCount() const {
    return View().ChildCount();
}

XmlElement XmlElement::ChildAt(int position) const {
    if (position < 0 || position >= ChildCount()) return {};
    return XmlElement(document_, document_->children[Data().first_child + position]);
}

XmlElement XmlElement::Child(const char* name, int index) const {
    if (IsEmpty() || name == nullptr || index < 0) return {};
    const XmlDocument& doc = *document_;
    const XmlNodeData& data = Data();
    auto child_name = [&](uint32_t position) {
        return doc.String(doc.nodes[doc.children[data.first_child + position]].name);
    };
    uint32_t position = 0;
    int skip = index;
    // The previous match had this name (in some case): resume behind it.
    if (last_index_ >= 0 && index >= last_index_ && NamesEqual(child_name(last_position_), name)) {
        position = last_position_;
        skip = index - last_index_;
    }
    for (; position < data.child_count; ++position) {
        if (!NamesEqual(child_name(position), name)) continue;
        if (skip-- == 0) {
            last_index_ = index;
            last_position_ = position;
            return XmlElement(document_, doc.children[data.first_child + position]);
        }
    }
    return {};
}

XmlElement XmlElement::Child(const char* name, int* position) const {
    if (position == nullptr) return Child(name, 0);
    if (IsEmpty() || name == nullptr || *position < 0) return {};
    const XmlDocument& doc = *document_;
    const XmlNodeData& data = Data();
    for (uint32_t i = static_cast<uint32_t>(*position); i < data.child_count; ++i) {
        uint32_t child = doc.children[data.first_child + i];
        if (NamesEqual(doc.String(doc.nodes[child].name), name)) {
            *position = static_cast<int>(i + 1);
            return XmlElement(document_, child);
        }
    }
    return {};
}

int XmlElement::AttributeCount() const {
    return View().AttributeCount();
}

int XmlElement::FindAttribute(const char* name, int from) const {
    if (name == nullptr || from < 0) return -1;
    for (int i = from; i < AttributeCount(); ++i) {
        if (NamesEqual(AttributeAt(i).name, name)) return i;
    }
    return -1;
}

const char* XmlElement::Attribute(const char* name) const {
    return View().Attribute(name);
}

const char* XmlElement::Attribute(const char* name, int* position) const {
    if (position == nullptr) return Attribute(name);
    int i = FindAttribute(name, *position);
    if (i < 0) return nullptr;
    *position = i + 1;
    return AttributeAt(i).value;
}

XmlAttribute XmlElement::AttributeAt(int index) const {
    return View().AttributeAt(index);
}

bool XmlElement::HasAttribute(const char* name) const {
    return FindAttribute(name, 0) >= 0;
}

int XmlElement::TextCount() const {
    int count = 0;
    for (uint32_t i = 0; !IsEmpty() && i < Data().piece_count; ++i) {
        count += document_->pieces[Data().first_piece + i].kind == 0;
    }
    return count;
}

const char* XmlElement::Text(int index) const {
    for (uint32_t i = 0; !IsEmpty() && index >= 0 && i < Data().piece_count; ++i) {
        const auto& piece = document_->pieces[Data().first_piece + i];
        if (piece.kind == 0 && index-- == 0) return document_->String(piece.text);
    }
    return nullptr;
}

int XmlElement::ClearCount() const {
    int count = 0;
    for (uint32_t i = 0; !IsEmpty() && i < Data().piece_count; ++i) {
        count += document_->pieces[Data().first_piece + i].kind != 0;
    }
    return count;
}

XmlClearSection XmlElement::Clear(int index) const {
    for (uint32_t i = 0; !IsEmpty() && index >= 0 && i < Data().piece_count; ++i) {
        const auto& piece = document_->pieces[Data().first_piece + i];
        if (piece.kind != 0 && index-- == 0) {
            const auto& marker = xml_detail::kClearMarkers[piece.kind - 1];
            return {marker.open, document_->String(piece.text), marker.close};
        }
    }
    return {};
}
