#include "kr/xml/detail/xml_entities.h"

#include <cstring>

#include "kr/xml/detail/xml_chars.h"

namespace xml_detail {
namespace {

struct Named {
    const char* name;  // with its semicolon
    char value;
};
constexpr Named kNamed[] = {
    {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    char l = Lower(c);
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

// Reads the entity at p (an '&') within [p, end): its byte, and its length through the
// semicolon; -1 when it is not a valid entity.
int ReadEntity(const char* p, const char* end, int* length) {
    const char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        bool hex = q < end && Lower(*q) == 'x';
        if (hex) ++q;
        const char* digits = q;
        int value = 0;
        for (int d; q < end && (d = DigitValue(*q, hex)) >= 0; ++q) {
            value = value * (hex ? 16 : 10) + d;
            if (value > 255) value = 256;  // saturate: long digit strings must not overflow
        }
        if (q == digits || q >= end || *q != ';' || value == 0 || value > 255) return -1;
        *length = static_cast<int>(q + 1 - p);
        return value;
    }
    for (const Named& n : kNamed) {
        size_t size = std::strlen(n.name);
        bool match = static_cast<size_t>(end - q) >= size;
        for (size_t i = 0; match && i < size; ++i)
            match = Lower(q[i]) == n.name[i];
        if (match) {
            *length = static_cast<int>(1 + size);
            return static_cast<unsigned char>(n.value);
        }
    }
    return -1;
}

}  // namespace

const char* FindBadEntity(const char* begin, const char* end) {
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '&', end - p)));) {
        int length;
        if (ReadEntity(p, end, &length) < 0) return p;
        p += length;
    }
    return nullptr;
}

char* DecodeEntities(char* begin, char* end) {
    char* out = static_cast<char*>(std::memchr(begin, '&', end - begin));
    if (out == nullptr) return end;
    const char* in = out;
    while (in < end) {
        if (*in != '&') {
            *out++ = *in++;
            continue;
        }
        int length = 1;
        int value = ReadEntity(in, end, &length);
        *out++ = static_cast<char>(value < 0 ? '&' : value);
        in += length;
    }
    return out;
}

}  // namespace xml_detail
