#include "kr/xml/detail/xml_source.h"

#include <cstring>

#include "kr/base/regular_file.h"
#include "kr/xml/xml_result.h"
#include "kr/xml/detail/xml_unicode.h"

namespace xml_detail {

int LoadXmlFile(const char* file_name, XmlSource* source) {
    KR::whole_file file;
    switch (KR::ReadWholeFile(file_name, kMaxXmlText, file)) {
        case KR::whole_file_read::done:
            break;
        case KR::whole_file_read::cannot_read:
            return kXmlFileNotFound;
        case KR::whole_file_read::empty:
        case KR::whole_file_read::too_large:
            return kXmlNoXmlData;
    }
    std::unique_ptr<char[]> buffer = std::move(file.data);
    const size_t size = file.size;

    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
    Utf16Guess guess = DetectUtf16(bytes, size);
    if (guess.order != Utf16Order::kNone) {
        std::unique_ptr<char[]> converted;
        size_t length = 0;
        if (!Utf16ToUtf8(bytes + guess.bom_size, size - guess.bom_size,
                         guess.order == Utf16Order::kBigEndian, converted, length)) {
            return kXmlUnicodeConversion;
        }
        if (length > kMaxXmlText) return kXmlNoXmlData;
        source->buffer = std::move(converted);
        source->begin = 0;
        source->end = length;
        return kXmlNoError;
    }
    bool bom = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    source->buffer = std::move(buffer);
    source->begin = bom ? 3 : 0;
    source->end = size;
    return kXmlNoError;
}

int CopyXmlText(const char* text, XmlSource* source) {
    size_t size = text == nullptr ? 0 : std::strlen(text);
    if (size > kMaxXmlText) return kXmlNoXmlData;
    source->buffer = std::make_unique_for_overwrite<char[]>(size + 1);
    if (size > 0) std::memcpy(source->buffer.get(), text, size);
    source->buffer[size] = 0;
    source->begin = 0;
    source->end = size;
    return kXmlNoError;
}

}  // namespace xml_detail
