#include "kr/xml/detail/xml_scanner.h"

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

namespace xml_detail {
namespace {

// The first '>' from p, or nullptr; with whether a '<' came before it.
char* FindTagEnd(char* p, bool* less_before) {
    *less_before = false;
    for (; *p != 0; p = StepChar(p)) {
        if (*p == '>') return p;
        if (*p == '<') *less_before = true;
    }
    return nullptr;
}

char* FindMarker(char* p, const char* marker) {
    char first = Lower(*marker);
    for (; *p != 0; p = StepChar(p)) {
        if (Lower(*p) == first && StartsWithNoCase(p, marker)) return p;
    }
    return nullptr;
}

}  // namespace

XmlTokenSpan XmlScanner::Next() {
    while (IsSpace(*p_))
        ++p_;
    XmlTokenSpan t;
    t.at = t.begin = t.end = p_;
    switch (*p_) {
        case 0:
            break;
        case '<':
            Markup(t);
            break;
        case '>':
            t.kind = XmlToken::kTagEnd;
            ++p_;
            break;
        case '=':
            t.kind = XmlToken::kEquals;
            ++p_;
            break;
        case '/':
            if (p_[1] == '>') {
                t.kind = XmlToken::kShortClose;
                p_ += 2;
                break;
            }
            TextOrQuoted(t);
            break;
        default:
            TextOrQuoted(t);
            break;
    }
    // The token has been read, so the byte a string is cut at may now become its zero.
    if (pending_ != nullptr) {
        counter_.Cut(pending_);
        pending_ = nullptr;
    }
    return t;
}

bool XmlScanner::PlainAttribute(XmlTokenSpan* name, XmlTokenSpan* value) {
    char* q = p_;
    while (IsSpace(*q))
        ++q;
    char* name_begin = q;
    while (CharClass(*q) == 0)
        ++q;
    if (q == name_begin || *q != '=') return false;
    char* equals = q++;
    const char quote = *q;
    if (quote != '"' && quote != '\'') return false;
    char* value_begin = ++q;
    for (;; ++q) {
        if (!(CharClass(*q) & kCharQuoteStop)) continue;
        if (*q == quote) break;
        if (*q != '"' && *q != '\'') return false;  // '&', '<', the zero or a high byte
    }
    *name = {XmlToken::kText, false, -1, name_begin, name_begin, equals};
    *value = {XmlToken::kQuoted, false, -1, value_begin - 1, value_begin, q};
    p_ = q + 1;
    // In the order Next() makes them: what was pending, then the name at its '=', then the
    // value at its closing quote.
    if (pending_ != nullptr) {
        counter_.Cut(pending_);
        pending_ = nullptr;
    }
    *equals = 0;
    *q = 0;
    return true;
}

void XmlScanner::Markup(XmlTokenSpan& t) {
    char second = Lower(p_[1]);
    if (second == '!' || second == 'p' || second == 's') {
        for (int i = 0; i < kOpeningMarkers; ++i) {
            if (Lower(kClearMarkers[i].open[1]) == second &&
                StartsWithNoCase(p_, kClearMarkers[i].open)) {
                t.kind = XmlToken::kClear;
                t.clear = static_cast<int8_t>(i);
                p_ += std::strlen(kClearMarkers[i].open);
                return;
            }
        }
    }
    if (second == '/') {
        t.kind = XmlToken::kEndTagStart;
        p_ += 2;
    } else if (second == '?') {
        t.kind = XmlToken::kDeclarationStart;
        p_ += 2;
    } else {
        t.kind = XmlToken::kTagStart;
        p_ += 1;
    }
}

void XmlScanner::TextOrQuoted(XmlTokenSpan& t) {
    char quote = *p_;
    if (quote == '"' || quote == '\'') {
        // A quoted value counts only if its closing quote comes before any '<'.
        char* q = p_ + 1;
        for (;;) {
            uint8_t cls = CharClass(*q);
            if (!(cls & kCharQuoteStop)) {
                ++q;
            } else if (cls & kCharHigh) {
                q = StepChar(q);
            } else if (*q == '&') {
                t.entity = true;
                ++q;
            } else if (*q == quote) {
                t.kind = XmlToken::kQuoted;
                t.begin = p_ + 1;
                t.end = q;
                p_ = q + 1;
                return;
            } else if (*q == '<' || *q == 0) {
                break;
            } else {
                ++q;  // the other quote
            }
        }
    }
    t.entity = false;  // the text scan looks again from the quote
    char* q = p_;
    for (;;) {
        uint8_t cls = CharClass(*q);
        if (!(cls & kCharTextStop)) {
            ++q;
        } else if (cls & kCharHigh) {
            q = StepChar(q);
        } else if ((*q == '/' && q[1] != '>') || *q == '&') {
            t.entity |= *q == '&';
            ++q;
        } else {
            break;
        }
    }
    t.kind = XmlToken::kText;
    t.begin = p_;
    t.end = q;
    p_ = q;
}

bool XmlScanner::ContentRun(char** begin, char** end) {
    bool entity = false;
    char* q = p_;
    for (;;) {
        uint8_t cls = CharClass(*q);
        if (!(cls & kCharRunStop)) {
            ++q;
        } else if (cls & kCharHigh) {
            q = StepChar(q);
        } else if (*q == '&') {
            entity = true;
            ++q;
        } else {
            break;
        }
    }
    *begin = p_;
    *end = q;
    p_ = q;
    return entity;
}

bool XmlScanner::ClearContent(int* clear, char** begin, char** end) {
    if (*clear == kDoctype) {
        // An internal subset holds tags of its own; then only "]>" ends the section.
        bool subset = false;
        char* gt = FindTagEnd(p_, &subset);
        if (gt == nullptr) return false;
        if (!subset) {
            *begin = p_;
            *end = gt;
            p_ = gt + 1;
            return true;
        }
        *clear = kDoctypeSubset;
    }
    const char* close = kClearMarkers[*clear].close;
    char* found = FindMarker(p_, close);
    if (found == nullptr) return false;
    *begin = p_;
    *end = found;
    p_ = found + std::strlen(close);
    return true;
}

}  // namespace xml_detail
