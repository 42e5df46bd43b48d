#include "kr/xml/detail/xml_parser.h"

#include <cstring>
#include <vector>

#include "kr/xml/detail/xml_chars.h"
#include "kr/xml/detail/xml_scanner.h"

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

namespace xml_detail {
namespace {

class Parser {
  public:
    Parser(XmlDocument& document, char* text, char* end)
        : doc_(document), base_(document.buffer.get()), scan_(text, end) {}

    XmlResult Run(const char* first_tag, uint32_t* root);

  private:
    // An element whose content is being read; its children and pieces so far wait on the
    // pending stacks from these marks on until it closes.
    struct Open {
        uint32_t node;
        uint32_t child_mark;
        uint32_t piece_mark;
    };
    // The last string of a start tag, for the '?' that ends a declaration.
    enum class Last { kName, kAttributeName, kValue };

    uint32_t Offset(const char* p) const { return static_cast<uint32_t>(p - base_); }
    bool AddText(char* begin, char* end, bool entity);
    char* Decode(char* begin, char* end);
    bool AddClear(const XmlTokenSpan& open);
    bool StartTag(const XmlTokenSpan& open);
    bool Value(uint32_t attribute, char** last_end);
    bool EndTag(const XmlTokenSpan& open);
    void Close(bool warn, const char* at);
    uint32_t Root(const char* first_tag) const;
    bool Fail(int code, const char* at);

    XmlDocument& doc_;
    char* base_;
    XmlScanner scan_;
    std::vector<Open> open_;
    std::vector<uint32_t> pending_children_;
    std::vector<XmlPieceData> pending_pieces_;
    XmlResult result_;
};

XmlResult Parser::Run(const char* first_tag, uint32_t* root) {
    doc_.nodes.Push(XmlNodeData{});
    open_.push_back({0, 0, 0});
    for (;;) {
        char *run_begin, *run_end;
        bool entity = scan_.ContentRun(&run_begin, &run_end);
        if (!AddText(run_begin, run_end, entity)) return result_;
        XmlTokenSpan t = scan_.Next();
        bool ok = true;
        switch (t.kind) {
            case XmlToken::kClear:
                ok = AddClear(t);
                break;
            case XmlToken::kTagStart:
            case XmlToken::kDeclarationStart:
                ok = StartTag(t);
                break;
            case XmlToken::kEndTagStart:
                ok = EndTag(t);
                break;
            case XmlToken::kEnd:
                // The end of the text closes what is still open.
                while (open_.size() > 1)
                    Close(true, t.at);
                Close(false, t.at);
                if (doc_.nodes.Size() == 1) {
                    Fail(kXmlNoElements, t.at);
                } else if ((*root = Root(first_tag)) == kNone) {
                    Fail(kXmlFirstTagNotFound, t.at);
                }
                return result_;
            default:
                ok = Fail(kXmlUnexpectedToken, t.at);  // a text run stops only at '<' or the end
                break;
        }
        if (!ok) return result_;
    }
}

bool Parser::AddText(char* begin, char* end, bool entity) {
    while (begin < end && IsSpace(*begin))
        ++begin;
    while (end > begin && IsSpace(end[-1]))
        --end;
    if (begin == end) return true;
    const char* bad = entity ? FindBadEntity(begin, end) : nullptr;
    if (bad != nullptr) return Fail(kXmlUnknownEntity, bad);
    // A run that reaches the next tag is cut at its '<' once that has been read.
    if (end == scan_.Position()) {
        scan_.CutLater(end);
    } else {
        scan_.Cut(end);
    }
    if (entity) Decode(begin, end);
    pending_pieces_.push_back({Offset(begin), 0});
    return true;
}

char* Parser::Decode(char* begin, char* end) {
    scan_.Advance(end);  // so that later places are counted over the text as written
    char* decoded = DecodeEntities(begin, end);
    if (decoded != end) *decoded = 0;
    return decoded;
}

bool Parser::AddClear(const XmlTokenSpan& open) {
    char *begin, *end;
    int clear = open.clear;
    if (!scan_.ClearContent(&clear, &begin, &end)) {
        return Fail(kXmlUnmatchedClearTagEnd, open.at);
    }
    scan_.Cut(end);
    pending_pieces_.push_back({Offset(begin), 1 + static_cast<uint32_t>(clear)});
    return true;
}

bool Parser::StartTag(const XmlTokenSpan& open) {
    XmlTokenSpan name = scan_.Next();
    if (name.kind != XmlToken::kText) return Fail(kXmlMissingStartTagName, name.at);
    bool declaration = open.kind == XmlToken::kDeclarationStart;
    uint32_t node = doc_.nodes.Size();
    XmlNodeData data;
    data.name = Offset(name.begin);
    data.first_attribute = doc_.attributes.Size();
    data.declaration = declaration;
    doc_.nodes.Push(data);
    scan_.CutLater(name.end);

    char* last_begin = name.begin;
    char* last_end = name.end;
    Last last = Last::kName;
    // Attributes in their plain form first; the first that is not ends this short way.
    for (XmlTokenSpan a, v; scan_.PlainAttribute(&a, &v);) {
        doc_.attributes.Push({Offset(a.begin), Offset(v.begin)});
        last_begin = v.begin;
        last_end = v.end;
        last = Last::kValue;
    }
    XmlTokenSpan t = scan_.Next();
    while (t.kind == XmlToken::kText) {
        uint32_t attribute = doc_.attributes.Size();
        doc_.attributes.Push({Offset(t.begin), kNone});
        scan_.CutLater(t.end);
        last_begin = t.begin;
        last_end = t.end;
        last = Last::kAttributeName;
        t = scan_.Next();
        if (t.kind != XmlToken::kEquals) continue;  // an attribute without a value
        if (!Value(attribute, &last_end)) return false;
        last_begin = base_ + doc_.attributes[attribute].value;
        last = Last::kValue;
        t = scan_.Next();
    }
    if (t.kind != XmlToken::kTagEnd && t.kind != XmlToken::kShortClose) {
        return Fail(kXmlUnexpectedToken, t.at);
    }
    // "?>" closes a declaration: its '?' is not part of the last name or value.
    if (declaration && t.kind == XmlToken::kTagEnd && last_end > last_begin &&
        last_end[-1] == '?') {
        scan_.Cut(last_end - 1);
        if (last == Last::kAttributeName && last_end - 1 == last_begin) doc_.attributes.Pop();
    }
    doc_.nodes[node].attribute_count = doc_.attributes.Size() - data.first_attribute;
    if (t.kind == XmlToken::kShortClose) {
        pending_children_.push_back(node);
    } else {
        open_.push_back({node, static_cast<uint32_t>(pending_children_.size()),
                         static_cast<uint32_t>(pending_pieces_.size())});
    }
    return true;
}

bool Parser::Value(uint32_t attribute, char** last_end) {
    XmlTokenSpan v = scan_.Next();
    if (v.kind == XmlToken::kText && (*v.begin == '"' || *v.begin == '\'')) {
        return Fail(kXmlUnmatchedQuote, v.at);  // its closing quote never came
    }
    if (v.kind != XmlToken::kText && v.kind != XmlToken::kQuoted) {
        return Fail(kXmlUnexpectedToken, v.at);
    }
    const char* bad = v.entity ? FindBadEntity(v.begin, v.end) : nullptr;
    if (bad != nullptr) return Fail(kXmlUnknownEntity, bad);
    if (v.kind == XmlToken::kQuoted) {
        scan_.Cut(v.end);
    } else {
        scan_.CutLater(v.end);
    }
    *last_end = v.entity ? Decode(v.begin, v.end) : v.end;
    doc_.attributes[attribute].value = Offset(v.begin);
    return true;
}

bool Parser::EndTag(const XmlTokenSpan& open) {
    XmlTokenSpan name = scan_.Next();
    if (name.kind != XmlToken::kText) return Fail(kXmlMissingEndTagName, name.at);
    XmlTokenSpan close = scan_.Next();
    if (close.kind != XmlToken::kTagEnd) return Fail(kXmlMissingEndTagName, close.at);
    // The innermost open element of that name takes the end tag; those inside it were never
    // closed and end here with a warning.
    size_t length = static_cast<size_t>(name.end - name.begin);
    size_t match = open_.size() - 1;
    while (match > 0 &&
           !NamesEqual(doc_.String(doc_.nodes[open_[match].node].name), name.begin, length)) {
        --match;
    }
    if (match == 0) return Fail(kXmlUnmatchedEndTag, open.at);
    while (open_.size() > match + 1)
        Close(true, open.at);
    Close(false, open.at);
    return true;
}

void Parser::Close(bool warn, const char* at) {
    Open o = open_.back();
    open_.pop_back();
    XmlNodeData& node = doc_.nodes[o.node];
    node.first_child = doc_.children.Size();
    node.child_count = static_cast<uint32_t>(pending_children_.size()) - o.child_mark;
    for (size_t i = o.child_mark; i < pending_children_.size(); ++i) {
        doc_.children.Push(pending_children_[i]);
    }
    pending_children_.resize(o.child_mark);
    node.first_piece = doc_.pieces.Size();
    node.piece_count = static_cast<uint32_t>(pending_pieces_.size()) - o.piece_mark;
    for (size_t i = o.piece_mark; i < pending_pieces_.size(); ++i) {
        doc_.pieces.Push(pending_pieces_[i]);
    }
    pending_pieces_.resize(o.piece_mark);
    // A declaration has no end tag: whatever ends it, that is no fault of the document.
    if (warn && !node.declaration && result_.error == kXmlNoError) {
        XmlPlace place = scan_.PlaceOf(at);
        result_ = {kXmlWarningUnmatchedEndTag, place.line, place.column};
    }
    if (!open_.empty()) pending_children_.push_back(o.node);
}

uint32_t Parser::Root(const char* first_tag) const {
    // A root holding one element and nothing else gives way to that element.
    uint32_t root = 0;
    const XmlNodeData& top = doc_.nodes[0];
    if (top.child_count == 1 && top.piece_count == 0) root = doc_.children[top.first_child];
    if (first_tag == nullptr || NamesEqual(doc_.String(doc_.nodes[root].name), first_tag)) {
        return root;
    }
    // The first child of that name; a declaration holds the rest of the document, so the
    // search goes on among its children.
    const XmlNodeData* list = &doc_.nodes[root];
    for (uint32_t i = 0; i < list->child_count;) {
        uint32_t child = doc_.children[list->first_child + i];
        const XmlNodeData& data = doc_.nodes[child];
        if (NamesEqual(doc_.String(data.name), first_tag)) return child;
        if (data.declaration) {
            list = &data;
            i = 0;
        } else {
            ++i;
        }
    }
    return kNone;
}

bool Parser::Fail(int code, const char* at) {
    XmlPlace place = scan_.PlaceOf(at);
    result_ = {code, place.line, place.column};
    return false;
}

}  // namespace

XmlResult ParseXml(XmlDocument& document, char* text, char* end, const char* first_tag,
                   uint32_t* root) {
    Parser parser(document, text, end);
    return parser.Run(first_tag, root);
}

}  // namespace xml_detail
