#pragma once
// Reading a number from an attribute of an XML element, as the configuration file does.

#include "kr/xml/xml_element.h"

namespace KR {

// When the element has the attribute, its value is read like stream extraction (leading
// blanks skipped, the longest number at the start taken) and the answer is true. A value
// that is not a number takes the default and answers false, or without a default raises
// KR::ErrorParam "KR::ReadXMLAttr: Conversion error!" naming "dst". A missing attribute
// takes the default if there is one and answers false.
bool ReadXMLAttr(const XmlElement& element, const char* name, int& dst,
                 const int* default_value = nullptr);
bool ReadXMLAttr(const XmlElement& element, const char* name, float& dst,
                 const float* default_value = nullptr);

}  // namespace KR
