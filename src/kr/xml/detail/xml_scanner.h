#pragma once
// The tokenizer of the XML reader. It walks the text in place and hands out tokens as spans of
// it; strings end up zero-terminated where they stand, each cut made only once the scan has
// read the byte it replaces.

#include <cstdint>

// Lines and columns of the original text while the parser rewrites it in place. The parser
// cuts strings with zero bytes and decodes entities behind its scan. A zero written over a
// one-byte character other than a line feed counts as the same one column, so such cuts need
// nothing; for a line feed, and before entities are decoded, this counter first walks the text
// up to the rewrite. Error places are thus counted over the bytes as they were written.

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

namespace xml_detail {

enum class XmlToken : uint8_t {
    kEnd,               // the terminating zero
    kClear,             // an opening marker of a clear section
    kQuoted,            // a quoted value; begin/end exclude the quotes
    kShortClose,        // "/>"
    kEndTagStart,       // "</"
    kDeclarationStart,  // "<?"
    kTagStart,          // "<"
    kEquals,            // "="
    kTagEnd,            // ">"
    kText               // anything else, up to white space, '<', '>', '=' or "/>"
};

struct XmlTokenSpan {
    XmlToken kind = XmlToken::kEnd;
    bool entity = false;  // text or quoted value holding an '&'
    int8_t clear = -1;    // index into kClearMarkers for kClear
    char* at = nullptr;   // where the token starts, for error places
    char* begin = nullptr;
    char* end = nullptr;
};

// Sections whose content is kept as written; opening markers match in any case.
struct XmlClearMarker {
    const char* open;
    const char* close;
};
// The last entry is a DOCTYPE with an internal subset, found by its opening's second entry.
inline constexpr XmlClearMarker kClearMarkers[] = {
    {"<![CDATA[", "]]>"},      {"<!DOCTYPE", ">"}, {"<PRE>", "</PRE>"},
    {"<Script>", "</Script>"}, {"<!--", "-->"},    {"<!DOCTYPE", "]>"},
};
inline constexpr int kOpeningMarkers = 5;
inline constexpr int kDoctype = 1;
inline constexpr int kDoctypeSubset = 5;

class XmlScanner {
  public:
    // end is the text's terminating zero; the text stops earlier at any zero byte.
    XmlScanner(char* text, char* end) : p_(text), counter_(text, end) {}

    // The next token after white space.
    XmlTokenSpan Next();
    // An attribute written plainly as name="value" (or with single quotes) after white
    // space: name bytes without any special class, the '=' and the opening quote right after
    // it, a value without '&', '<', zero or bytes of 0x80 and above. If the text here has that
    // form, reads it as Next() would read its three tokens, cuts both strings and answers true;
    // else changes nothing and answers false.
    bool PlainAttribute(XmlTokenSpan* name, XmlTokenSpan* value);
    // In element content: the text from here up to the next '<' or the end; whether it holds
    // an '&'.
    bool ContentRun(char** begin, char** end);
    // After a kClear token: its content up to the closing marker, leaving the scan behind the
    // marker; false if the marker never comes. A DOCTYPE may turn into kDoctypeSubset.
    bool ClearContent(int* clear, char** begin, char** end);

    // Terminates a string at at once the next token has been read (at is its first byte).
    void CutLater(char* at) { pending_ = at; }
    // Terminates a string at at now; at must lie behind the scan.
    void Cut(char* at) { counter_.Cut(at); }
    // Declares that the text before at may be rewritten.
    void Advance(const char* at) { counter_.Advance(at); }
    XmlPlace PlaceOf(const char* at) { return counter_.PlaceOf(at); }
    char* Position() const { return p_; }

  private:
    // Both fill in a token whose place is already set.
    void Markup(XmlTokenSpan& t);
    void TextOrQuoted(XmlTokenSpan& t);

    char* p_;
    char* pending_ = nullptr;
    XmlLineCounter counter_;
};

}  // namespace xml_detail
