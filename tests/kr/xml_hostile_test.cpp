// The XML reader on input meant to break it: deep nesting, unterminated constructs, truncated
// and mutated documents, stray bytes. None may crash, hang or read outside the text (the
// sanitizer build watches the last).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "kr/xml/xml_element.h"

namespace {

int Code(const std::string& text, XmlElement* element = nullptr) {
    XmlResult r;
    XmlElement e = XmlElement::FromText(text.c_str(), nullptr, &r);
    if (element != nullptr) *element = e;
    EXPECT_EQ(e.IsEmpty(), !XmlSucceeded(r.error)) << text;
    return r.error;
}

std::string Repeat(const std::string& piece, int count) {
    std::string out;
    out.reserve(piece.size() * count);
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

const char* kSample =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE t [ <!ENTITY e 'x'> ]>\n"
    "<terrain clusters=\"1\" flag>\n  <!-- c --><cluster x='2'>\n  <row>\n"
    "    <v><t z=\"1.5\"/><w z='0'><s s0=\"&amp;&#x41;\" s1=0/></w>text &lt; more</v>\n"
    "  </row><![CDATA[ raw <> ]]>\n  </cluster>\n</terrain>\n";

TEST(XmlHostile, DeepNestingNeitherRecursesNorOverflows) {
    const int depth = 100000;
    XmlElement e;
    ASSERT_EQ(Code(Repeat("<a>", depth) + "x" + Repeat("</a>", depth), &e), kXmlNoError);
    int levels = 1;
    while (e.ChildCount() == 1) {
        e = e.ChildAt(0);
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    EXPECT_STREQ(e.Text(0), "x");
    e = XmlElement();  // the whole tree goes here, without recursion

    // A million open elements, closed by the end of input.
    EXPECT_EQ(Code(Repeat("<a>", 1000000)), kXmlWarningUnmatchedEndTag);
    // One wrong end tag deep down closes everything above the match.
    EXPECT_EQ(Code("<b>" + Repeat("<a>", depth) + "</b>"), kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(Code(Repeat("<a>", depth) + "</b>"), kXmlUnmatchedEndTag);
    EXPECT_EQ(Code(Repeat("<?a?>", depth)), kXmlNoError);
}

TEST(XmlHostile, EnormousAttributeCounts) {
    const int count = 200000;
    std::string text = "<a";
    for (int i = 0; i < count; ++i)
        text += " n" + std::to_string(i) + "=\"" + std::to_string(i) + '"';
    text += Repeat(" bare", 1000) + "/>";
    XmlElement e;
    ASSERT_EQ(Code(text, &e), kXmlNoError);
    EXPECT_EQ(e.AttributeCount(), count + 1000);
    EXPECT_STREQ(e.Attribute("N199999"), "199999");
    EXPECT_STREQ(e.AttributeAt(count - 1).value, "199999");
    EXPECT_EQ(e.AttributeAt(count + 999).value, nullptr);
}

TEST(XmlHostile, StrayBytesAndLeadBytesAtTheEnd) {
    // A lead byte claims more bytes than are left: the scan must stop at the terminating zero,
    // wherever the byte stands.
    for (const char* tail : {"\xF0", "\xE0", "\xC2", "\xF4\x80", "\xFF"}) {
        for (const char* head : {"", "<", "<a", "<a ", "<a b", "<a b=", "<a b=\"", "<a>", "<a>t",
                                 "<a><!--", "<a></", "<a></a", "<?x ", "<a b='1'/>"}) {
            std::string text = std::string(head) + tail;
            Code(text);
            XmlResult r;
            XmlElement::FromText(text.c_str(), "a", &r);
            EXPECT_GE(r.line, 0);
        }
    }
    // A lead byte swallows the bytes it claims, as the length table says, even a quote.
    XmlElement e;
    ASSERT_EQ(Code("<a b='\xE0' x'/>", &e), kXmlNoError);
    EXPECT_STREQ(e.Attribute("b"), "\xE0' x");
    // Trimming cuts text inside such a character; its place is still counted by the table.
    XmlResult r;
    XmlElement::FromText("<a>\xE0 \n<=", nullptr, &r);
    EXPECT_EQ(r.error, kXmlMissingStartTagName);
    EXPECT_EQ(r.line, 1);  // the line feed belongs to the character
    EXPECT_EQ(r.column, 6);
    // Bytes above 0x7F in names, values and text are carried as they are.
    ASSERT_EQ(Code("<\x80\xFE v='\xF5\x81'>\xC0\xC1 \xFF</\x80\xFE>", &e), kXmlNoError);
    EXPECT_STREQ(e.Name(), "\x80\xFE");
    EXPECT_STREQ(e.Text(0), "\xC0\xC1 \xFF");
}

TEST(XmlHostile, TruncatedAndMutatedDocuments) {
    const std::string sample = kSample;
    ASSERT_EQ(Code(sample), kXmlNoError);
    for (size_t n = 0; n < sample.size(); ++n) {
        int code = Code(sample.substr(0, n));
        EXPECT_TRUE(code >= kXmlNoError && code <= kXmlUnknownEntity) << n << ": " << code;
    }
    // Deterministic byte mutations: overwrite, delete and insert markup and stray bytes.
    const char kBytes[] = "<>/?!=\"'&#;x[]- \n\0\xF0\xC3\x80\xFF";
    uint32_t state = 12345;
    auto next = [&state](uint32_t range) {
        state = state * 214013u + 2531011u;
        return ((state >> 16) & 0x7FFF) % range;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text = sample;
        for (int edits = 1 + next(4); edits > 0; --edits) {
            size_t at = next(static_cast<uint32_t>(text.size()));
            char byte = kBytes[next(sizeof(kBytes) - 1)];
            const uint32_t kind = next(3);
            if (kind == 0) text[at] = byte;
            if (kind == 1) text.erase(at, 1 + next(8));
            if (kind == 2) text.insert(at, 1, byte);
        }
        XmlResult r;
        XmlElement e = XmlElement::FromText(text.c_str(), "terrain", &r);
        EXPECT_TRUE(r.error >= kXmlNoError && r.error <= kXmlUnknownEntity) << text;
        // Whatever was read can be walked.
        for (int i = 0; !e.IsEmpty() && i < e.ChildCount(); ++i) {
            XmlElement c = e.ChildAt(i);
            for (int k = 0; k < c.AttributeCount(); ++k)
                EXPECT_NE(c.AttributeAt(k).name, nullptr);
            for (int k = 0; k < c.TextCount(); ++k)
                EXPECT_NE(c.Text(k), nullptr);
        }
    }
}

}  // namespace
