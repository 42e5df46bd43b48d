#pragma once
// The grammar of the XML reader: builds the tree of a document from its text, in place.

#include "kr/xml_document.h"
#include "kr/xml_position.h"
#include "kr/xml_result.h"

namespace xml_detail {

// Parses the zero-terminated text [text, end) inside document.buffer. On success node 0 is the
// unnamed root holding the whole document. end_place receives the place of the text's end.
// Nesting depth is limited only by memory: the parser keeps its own stack.
XmlResult ParseXml(XmlDocument& document, char* text, char* end, XmlPlace* end_place);

}  // namespace xml_detail
