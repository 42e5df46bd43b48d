#pragma once
// The grammar of the XML reader: builds the tree of a document from its text, in place.

#include <cstdint>

#include "kr/xml/detail/xml_document.h"
#include "kr/xml/xml_result.h"

namespace xml_detail {

// Parses the zero-terminated text [text, end) inside document.buffer; node 0 becomes the
// unnamed root holding the whole document. On success *root is the node the reader hands out:
// the element named first_tag, or without one the document's root (its only element, if it
// holds nothing else). Nesting depth is limited only by memory: the parser keeps its own stack.
XmlResult ParseXml(XmlDocument& document, char* text, char* end, const char* first_tag,
                   uint32_t* root);

}  // namespace xml_detail
