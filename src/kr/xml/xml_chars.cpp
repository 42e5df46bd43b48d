#include "kr/xml/detail/xml_chars.h"

namespace xml_detail {

bool NamesEqual(const char* a, const char* b, size_t b_length) {
    if (a == nullptr) return false;
    for (size_t i = 0; i < b_length; ++i) {
        if (a[i] == 0 || Lower(a[i]) != Lower(b[i])) return false;
    }
    return a[b_length] == 0;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix != 0; ++text, ++prefix) {
        if (Lower(*text) != Lower(*prefix)) return false;  // also stops at the text's zero
    }
    return true;
}

}  // namespace xml_detail
