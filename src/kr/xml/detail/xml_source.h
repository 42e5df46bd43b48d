#pragma once
// The text an XML document is parsed from: a buffer of our own, since parsing rewrites it in
// place. A file is read whole, 16-bit Unicode is converted to UTF-8 and a UTF-8 byte-order
// mark is skipped.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "kr/xml/xml_result.h"

namespace xml_detail {

struct XmlSource {
    std::unique_ptr<char[]> buffer;
    size_t begin = 0;  // the text is [begin, end), with a zero byte at end
    size_t end = 0;
};

// Returns kXmlNoError, or kXmlFileNotFound, kXmlNoXmlData (empty or beyond kMaxXmlText) or
// kXmlUnicodeConversion.
int LoadXmlFile(const char* file_name, XmlSource* source);

// Copies a zero-terminated text (nullptr counts as empty); kXmlNoXmlData beyond kMaxXmlText.
int CopyXmlText(const char* text, XmlSource* source);

}  // namespace xml_detail
