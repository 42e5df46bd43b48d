#include "kr/xml/detail/xml_position.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "kr/xml/detail/xml_chars.h"

namespace xml_detail {
namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ull;
constexpr uint64_t kLowSeven = 0x7F7F7F7F7F7F7F7Full;
constexpr uint64_t kLineFeeds = 0x0A0A0A0A0A0A0A0Aull;

int Clamp(int64_t v) {
    return static_cast<int>(std::min<int64_t>(v, INT_MAX));
}

}  // namespace

void XmlLineCounter::Advance(const char* at) {
    if (at > end_) at = end_;
    while (pos_ < at) {
        // Eight plain ASCII bytes at a time: the scene files are all ASCII.
        if constexpr (std::endian::native == std::endian::little) {
            bool saved_inside = saved_at_ >= pos_ && saved_at_ < pos_ + 8;
            if (at - pos_ >= 8 && !saved_inside) {
                uint64_t word;
                std::memcpy(&word, pos_, 8);
                if ((word & kHighBits) == 0) {
                    uint64_t x = word ^ kLineFeeds;  // line feeds become zero bytes
                    uint64_t feeds = ~(((x & kLowSeven) + kLowSeven) | x) & kHighBits;
                    if (feeds == 0) {
                        column_ += 8;
                    } else {
                        line_ += std::popcount(feeds);
                        int last = (63 - std::countl_zero(feeds)) / 8;
                        column_ = 1 + (7 - last);
                    }
                    pos_ += 8;
                    continue;
                }
            }
        }
        unsigned char c = Byte(pos_++);
        if (c == '\n') {
            ++line_;
            column_ = 1;
            continue;
        }
        ++column_;
        // Zeros here are cuts standing for one-byte characters, which the scan stepped over
        // alike; only the end of the text stops a character.
        for (int n = kCharLength[c]; n > 1 && pos_ < end_; --n)
            ++pos_;
    }
}

void XmlLineCounter::CutLineFeed(char* at) {
    if (at >= pos_) {
        Advance(at);
        if (pos_ == at) {
            saved_at_ = at;
            saved_ = '\n';
        }
    }
    *at = 0;
}

XmlPlace XmlLineCounter::PlaceOf(const char* at) {
    Advance(at);
    return {Clamp(line_), Clamp(column_)};
}

}  // namespace xml_detail
