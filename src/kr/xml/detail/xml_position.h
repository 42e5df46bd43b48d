#pragma once
// Lines and columns of the original text while the parser rewrites it in place. The parser
// cuts strings with zero bytes and decodes entities behind its scan. A zero written over a
// one-byte character other than a line feed counts as the same one column, so such cuts need
// nothing; for a line feed, and before entities are decoded, this counter first walks the text
// up to the rewrite. Error places are thus counted over the bytes as they were written.

#include <cstdint>

namespace xml_detail {

struct XmlPlace {
    int line = 0;
    int column = 0;
};

class XmlLineCounter {
  public:
    // end is the text's terminating zero.
    XmlLineCounter(const char* begin, const char* end) : pos_(begin), end_(end) {}

    // Counts the text up to at, so that the parser may rewrite anything before it.
    void Advance(const char* at);
    // Writes a zero over the one-byte character at at, first counting up to it if it is a line
    // feed not counted yet.
    void Cut(char* at) {
        if (*at == '\n') {
            CutLineFeed(at);
        } else {
            *at = 0;
        }
    }
    // Line and column of at (from 1), counting every character before it; a line feed starts
    // a new line. Places behind the count are answered with the count's place.
    XmlPlace PlaceOf(const char* at);

  private:
    void CutLineFeed(char* at);
    unsigned char Byte(const char* p) const {
        return p == saved_at_ ? saved_ : static_cast<unsigned char>(*p);
    }

    const char* pos_;
    const char* end_;
    int64_t line_ = 1;
    int64_t column_ = 1;
    const char* saved_at_ = nullptr;  // a line feed cut but not yet counted
    unsigned char saved_ = 0;
};

}  // namespace xml_detail
