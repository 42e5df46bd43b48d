#include "kr/xml_view.h"

#include "kr/xml_chars.h"
#include "kr/xml_document.h"

using xml_detail::NamesEqual;
using xml_detail::XmlDocument;
using xml_detail::XmlNodeData;

const XmlNodeData& XmlView::Data() const {
    return document_->nodes[node_];
}

const char* XmlView::Name() const {
    return IsEmpty() ? nullptr : document_->String(Data().name);
}

int XmlView::ChildCount() const {
    return IsEmpty() ? 0 : static_cast<int>(Data().child_count);
}

XmlView XmlView::ChildAt(int position) const {
    if (position < 0 || position >= ChildCount()) return {};
    return XmlView(document_, document_->children[Data().first_child + position]);
}

XmlView XmlView::Child(const char* name) const {
    int position = 0;
    return Child(name, &position);
}

XmlView XmlView::Child(const char* name, int* position) const {
    if (IsEmpty() || name == nullptr || *position < 0) return {};
    const XmlDocument& doc = *document_;
    const XmlNodeData& data = Data();
    for (uint32_t i = static_cast<uint32_t>(*position); i < data.child_count; ++i) {
        uint32_t child = doc.children[data.first_child + i];
        if (NamesEqual(doc.String(doc.nodes[child].name), name)) {
            *position = static_cast<int>(i + 1);
            return XmlView(document_, child);
        }
    }
    return {};
}

int XmlView::AttributeCount() const {
    return IsEmpty() ? 0 : static_cast<int>(Data().attribute_count);
}

const char* XmlView::Attribute(const char* name) const {
    if (IsEmpty() || name == nullptr) return nullptr;
    const XmlNodeData& data = Data();
    for (uint32_t i = 0; i < data.attribute_count; ++i) {
        const auto& a = document_->attributes[data.first_attribute + i];
        if (NamesEqual(document_->String(a.name), name)) return document_->String(a.value);
    }
    return nullptr;
}

XmlAttribute XmlView::AttributeAt(int index) const {
    if (index < 0 || index >= AttributeCount()) return {};
    const auto& a = document_->attributes[Data().first_attribute + index];
    return {document_->String(a.name), document_->String(a.value)};
}
