#pragma once
// Lines and columns of the original text while the parser rewrites it in place. The parser
// cuts strings with zero bytes and decodes entities behind its scan; this counter walks the
// text just ahead of every rewrite, so an error place is counted over the bytes as they were.

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
    // Writes a zero at at, remembering the byte it replaces if it is not counted yet.
    void Cut(char* at);
    // Line and column of at (from 1), counting every character before it; a line feed starts
    // a new line. Places behind the count are answered with the count's place.
    XmlPlace PlaceOf(const char* at);

  private:
    unsigned char Byte(const char* p) const {
        return p == saved_at_ ? saved_ : static_cast<unsigned char>(*p);
    }

    const char* pos_;
    const char* end_;
    int64_t line_ = 1;
    int64_t column_ = 1;
    const char* saved_at_ = nullptr;  // the one cut not yet counted, and its original byte
    unsigned char saved_ = 0;
};

}  // namespace xml_detail
