#include "kr/xml/xml_attr.h"

#include "kr/base/error.h"
#include "kr/base/string_convert.h"

namespace KR {
namespace {

template <class T, class Convert>
bool Read(const XmlElement& element, const char* name, T& dst, const T* default_value,
          Convert convert) {
    const char* text = element.Attribute(name);
    if (text == nullptr) {
        if (default_value) dst = *default_value;
        return false;
    }
    try {
        dst = convert(text);
        return true;
    } catch (const ErrorParam&) {
        if (!default_value) throw ErrorParam("KR::ReadXMLAttr", ": Conversion error!", "dst");
        dst = *default_value;
        return false;
    }
}

}  // namespace

bool ReadXMLAttr(const XmlElement& element, const char* name, int& dst, const int* default_value) {
    return Read(element, name, dst, default_value, StringToInt);
}

bool ReadXMLAttr(const XmlElement& element, const char* name, float& dst,
                 const float* default_value) {
    return Read(element, name, dst, default_value, StringToFloat);
}

}  // namespace KR
