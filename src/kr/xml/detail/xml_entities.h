#pragma once
// Character entities of attribute values and text: "&amp;", "&lt;", "&gt;", "&quot;",
// "&apos;" (names in any case) and numeric references "&#65;" / "&#x41;", each giving one byte.

namespace xml_detail {

// The first '&' in [begin, end) that does not start a valid entity, or nullptr. A numeric
// reference must name a byte from 1 to 255: zero would cut the string short and larger codes
// do not fit the byte it is stored in.
const char* FindBadEntity(const char* begin, const char* end);

// Replaces the entities of [begin, end) by their bytes in place (the text only shrinks) and
// returns the new end. Call it only on text that FindBadEntity accepted.
char* DecodeEntities(char* begin, char* end);

}  // namespace xml_detail
