// The XML reader: trees, queries, errors, encodings; hostile input must not crash, hang or
// overread.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "kr/xml/xml_element.h"
#include "support/test_files.h"

namespace {

XmlResult Parse(const std::string& text, XmlElement* element = nullptr,
                const char* first_tag = nullptr) {
    XmlResult result;
    XmlElement e = XmlElement::FromText(text.c_str(), first_tag, &result);
    if (element != nullptr) *element = e;
    EXPECT_EQ(e.IsEmpty(), !XmlSucceeded(result.error)) << text;
    return result;
}

std::string Repeat(const std::string& piece, int count) {
    std::string out;
    while (count-- > 0)
        out += piece;
    return out;
}

// The element as one line: name[attributes] "texts" {clear sections} (children).
std::string Dump(const XmlElement& e) {
    std::string out = e.Name() ? e.Name() : "";
    for (int k = 0, n = e.AttributeCount(); k < n; ++k) {
        const XmlAttribute a = e.AttributeAt(k);
        out += std::string(k ? " " : "[") + a.name + (a.value ? std::string("=") + a.value : "");
        out += k + 1 == n ? "]" : "";
    }
    for (int k = 0; k < e.TextCount(); ++k)
        out += std::string(" \"") + e.Text(k) + '"';
    for (int k = 0; k < e.ClearCount(); ++k)
        out += std::string(" {") + e.Clear(k).open + e.Clear(k).content + e.Clear(k).close + "}";
    for (int k = 0, n = e.ChildCount(); k < n; ++k)
        out += (k ? " " : " (") + Dump(e.ChildAt(k)) + (k + 1 == n ? ")" : "");
    return out;
}

// Every code for a broken text, with line and column (in characters) where they matter.
TEST(XmlReader, ErrorCodesTextsAndPlaces) {
    struct Case {
        const char* text;
        int code, line = 0, column = 0;  // line 0: the place is not checked
    };
    // clang-format off
    const Case cases[] = {
        {"", kXmlNoElements, 1, 1}, {"  text only\n", kXmlNoElements, 2, 1},
        {"<!-- nothing -->", kXmlNoElements}, {"<a>\n  <>", kXmlMissingStartTagName, 2, 4},
        {"<a></>", kXmlMissingEndTagName, 1, 6}, {"<a></a", kXmlMissingEndTagName, 1, 7},
        {"<a b=\"x></a>", kXmlUnmatchedQuote, 1, 6}, {"<a b=>", kXmlUnexpectedToken, 1, 6},
        {"<a =x>", kXmlUnexpectedToken, 1, 4}, {"<a b='1'", kXmlUnexpectedToken, 1, 9}, {"<a<b>", kXmlUnexpectedToken, 1, 3},
        // Lines counted over a tag name cut at its line feed and over quoted line feeds.
        {"<a\nb=\"1\"\nc='x\ny' <", kXmlUnexpectedToken, 4, 4},
        // Places count the text as written, though strings were cut and entities decoded in place.
        {"<\xC3\xA9t\xC3\xA9 a='\xE2\x82\xAC'>\n<b\nc='&amp;&#10;x'>\xF0\x9F\x98\x80 <=", kXmlMissingStartTagName, 3, 20},
        {"<a>x\n</a>\n<b>\n<c>\n</x>", kXmlUnmatchedEndTag, 5, 1}, {"<a></b>", kXmlUnmatchedEndTag, 1, 4}, {"</a>", kXmlUnmatchedEndTag, 1, 1},
        // A wrong end tag closes what is open above its match; the end of input closes the rest.
        {"<a><b><c></a>", kXmlWarningUnmatchedEndTag, 1, 10},
        {"<a>\n<b>text", kXmlWarningUnmatchedEndTag, 2, 8}, {"<A></a>", kXmlNoError}, {"<a>\"unpaired quote in text</a>", kXmlNoError},
        // A declaration has no end tag to miss.
        {"<?xml version='1.0'?><a/>", kXmlNoError}, {"<?xml?><a/></xml>", kXmlNoError},
        {"<e>&copy;</e>", kXmlUnknownEntity, 1, 4}, {"<e a='x&amp'/>", kXmlUnknownEntity, 1, 8},
        {"<a>&#x", kXmlUnknownEntity}, {"<a>&amp", kXmlUnknownEntity}, {"<a b='&#65'/>", kXmlUnknownEntity},
        {"<e>\n<!-- open", kXmlUnmatchedClearTagEnd, 2, 1}, {"<e><![CDATA[ x ]>", kXmlUnmatchedClearTagEnd, 1, 4},
        {"<!DOCTYPE n [ <!ENTITY a 'b'> >", kXmlUnmatchedClearTagEnd, 1, 1},
        // Unterminated constructs; a quoted value must close before any '<'.
        {"<", kXmlMissingStartTagName}, {"<a b=", kXmlUnexpectedToken}, {"<a/", kXmlUnexpectedToken},
        {"<?xml", kXmlUnexpectedToken}, {"</", kXmlMissingEndTagName}, {"<a b=\"x", kXmlUnmatchedQuote},
        {"<a b=\"x<y\"/>", kXmlUnmatchedQuote}, {"<a b='x\"/>", kXmlUnmatchedQuote},
        {"<a><!-- - -- ->", kXmlUnmatchedClearTagEnd}, {"<a><script>x</scrip>", kXmlUnmatchedClearTagEnd},
    };
    // clang-format on
    for (const Case& c : cases) {
        const XmlResult r = Parse(c.text);
        EXPECT_EQ(std::tuple(r.error, c.line ? r.line : 0, c.line ? r.column : 0),
                  std::tuple(c.code, c.line, c.column))
            << c.text;
    }
    for (const char* bad : {"&#;", "&#x;", "&#12a;", "&#0;", "&#256;", "&#x100;",
                            "&#99999999999999999999999;", "&#xFFFFFFFFFFFFFFFFFF41;", "& ", "&"}) {
        EXPECT_EQ(Parse(std::string("<e>") + bad + "</e>").error, kXmlUnknownEntity) << bad;
        EXPECT_EQ(Parse(std::string("<e a=\"") + bad + "\"/>").error, kXmlUnknownEntity) << bad;
    }

    EXPECT_STREQ(XmlErrorText(0), "No error");
    EXPECT_STREQ(XmlErrorText(1), "Warning: Unmatched end tag");
    EXPECT_STREQ(XmlErrorText(13), "Error: First Tag not found");
    EXPECT_STREQ(XmlErrorText(15), "Error: unable to convert between UNICODE and MultiByte chars");
    EXPECT_STREQ(XmlErrorText(21), "Error: Base64 decode output buffer is too small");
    EXPECT_STREQ(XmlErrorText(22), "Unknown");
    EXPECT_STREQ(XmlErrorText(-1), "Unknown");
    XmlResult r;
    EXPECT_TRUE(XmlElement::FromText(nullptr, nullptr, &r).IsEmpty());
    EXPECT_EQ(r.error, kXmlNoElements);
    r = Parse("<a/><b/>", nullptr, "c");
    EXPECT_TRUE(r.error == kXmlFirstTagNotFound && r.column == 9);
    EXPECT_EQ(Parse("<r><a><c/></a></r>", nullptr, "c").error,
              kXmlFirstTagNotFound);  // a grandchild
}

TEST(XmlReader, ChildLookupsByIndexAndPosition) {
    XmlElement list;
    ASSERT_EQ(Parse("<l><a n='0'/><b/><A n='1'/><b/><a n='2'/><a n='3'/></l>", &list).error, 0);
    EXPECT_TRUE(list.ChildAt(6).IsEmpty() && list.ChildAt(-1).IsEmpty());

    // Indices in any order, names interleaved: the remembered lookup must never be misused.
    for (int i : {0, 1, 2, 3, 3, 1, 0, 2}) {
        EXPECT_STREQ(list.Child("a", i).Attribute("n"), std::to_string(i).c_str()) << i;
        EXPECT_FALSE(list.Child("B", i % 2).IsEmpty());
    }
    EXPECT_TRUE(list.Child("a", 4).IsEmpty() && list.Child("b", 2).IsEmpty() &&
                list.Child("a", -1).IsEmpty());

    int position = 0;
    std::string seen;
    for (XmlElement a; !(a = list.Child("a", &position)).IsEmpty();)
        seen += a.Attribute("n");
    EXPECT_EQ(seen, "0123");
    EXPECT_EQ(position, 6);
    position = 2;
    EXPECT_STREQ(list.Child("b", &position).Name(), "b");
    EXPECT_EQ(position, 4);
    EXPECT_TRUE(list.Child("c", &position).IsEmpty());
    EXPECT_EQ(position, 4);
}

TEST(XmlReader, TreesOfWellFormedDocumentsAndHandlesSharingThem) {
    struct Case {
        const char *text, *first_tag, *tree;
    };
    const char* scene =
        "<?xml version=\"1.0\" encoding=\"CP1250\"?>\n<terrain clusters=\"1\">\n"
        "  <sun x=\"1\" y=\"2\" z=\"3\" />\n  <cluster x=\"2\" end_y=\"1\">\n  <row>\n"
        "    <v><t z=\"12.3457\"/><w z=\"0.5\"><s s0=\"0\" s1=\"0.001\" s2=\"2\"/></w></v>\n"
        "    <v><t z=\"-1e-05\"/></v>\n  </row>\n  <row><v><t z=\"7\"/></v></row>\n"
        "  </cluster>\n</terrain>";
    const std::string terrain =
        "terrain[clusters=1] (sun[x=1 y=2 z=3] cluster[x=2 end_y=1] (row (v (t[z=12.3457] "
        "w[z=0.5] (s[s0=0 s1=0.001 s2=2])) v (t[z=-1e-05])) row (v (t[z=7]))))";
    // Without a first tag the declaration, holding the rest, is the root.
    const std::string declaration = "xml[version=1.0 encoding=CP1250] (" + terrain + ")";
    // clang-format off
    const Case cases[] = {
        {scene, "TERRAIN", terrain.c_str()}, {scene, nullptr, declaration.c_str()},
        {"<e flag a=\"1\" A='2' b=plain c=\"it's\" d='say \"hi\"' last/>", nullptr,
         "e[flag a=1 A=2 b=plain c=it's d=say \"hi\" last]"},
        // "?>" closes a declaration without leaving a '?' behind.
        {"<?xml version=1.0?>", nullptr, "xml[version=1.0]"}, {"<?xml a='x' ?>", nullptr, "xml[a=x]"}, {"<e a=b?/>", nullptr, "e[a=b?]"},
        // Quoted values run into each other and over line feeds.
        {"<e a=\"1\"b='2'c=\"x\ny\"/>", nullptr, "e[a=1 b=2 c=x\ny]"},
        {"<e v=\"&AMP;&lt;&Gt;&quot;&apos;&#65;&#x41;&#X6a;\">a &amp; b&#33;</e>", nullptr, "e[v=&<>\"'AAj] \"a & b!\""},
        {"<e>&#255;&#xFF;</e>", nullptr, "e \"\xFF\xFF\""},
        // Text is trimmed; the blanks between x and y are no text.
        {"<e>  one\n two \t<x/>\r\n   <y/> three</e>", nullptr, "e \"one\n two\" \"three\" (x y)"},
        {"<e><![cdata[ <a>&amp; ]]><!-- <b> --><pre>x<y></PRE><SCRIPT>if (a<b) c();</script>z</e>", nullptr,
         "e \"z\" {<![CDATA[ <a>&amp; ]]>} {<!-- <b> -->} {<PRE>x<y></PRE>} {<Script>if (a<b) c();</Script>}"},
        {"<!DOCTYPE note SYSTEM \"n.dtd\"><note/>", nullptr, " {<!DOCTYPE note SYSTEM \"n.dtd\">} (note)"},
        {"<!DOCTYPE n [ <!ENTITY a \"b\"> ]><n/>", nullptr, " {<!DOCTYPE n [ <!ENTITY a \"b\"> ]>} (n)"},
        {"<!DOCTYPE n [ <!ENTITY a \"b\"> ]><n/>", "n", "n"},
        // Two elements keep the unnamed root; so does text beside one element.
        {"<a/><b/>", nullptr, " (a b)"}, {"hello <a/>", nullptr, " \"hello\" (a)"},
        // The first-tag search goes into declarations in turn.
        {"<?xml?><?inner?><x/><target n='1'/>", "Target", "target[n=1]"},
        // Wrong end tags and the end of input close what is open, keeping the tree.
        {"<a><b><c></a>", nullptr, "a (b (c))"}, {"<a>\n<b>text", nullptr, "a (b \"text\")"},
    };
    // clang-format on
    for (const Case& c : cases) {
        XmlElement e;
        EXPECT_TRUE(XmlSucceeded(Parse(c.text, &e, c.first_tag).error)) << c.text;
        EXPECT_EQ(Dump(e), c.tree) << c.text;
    }

    XmlElement e;
    ASSERT_EQ(Parse(scene, &e).error, 0);
    EXPECT_TRUE(e.IsDeclaration() && !e.ChildAt(0).IsDeclaration());
    ASSERT_EQ(Parse(cases[2].text, &e).error, 0);
    // Names match in any case; a bare attribute has no value.
    EXPECT_TRUE(e.HasAttribute("FLAG") && !e.HasAttribute("missing"));
    EXPECT_EQ(e.Attribute("flag"), nullptr);
    EXPECT_STREQ(e.Attribute("D"), "say \"hi\"");
    EXPECT_EQ(e.AttributeAt(7).name, nullptr);
    int position = 0;
    EXPECT_STREQ(e.Attribute("a", &position), "1");
    EXPECT_EQ(position, 2);
    EXPECT_STREQ(e.Attribute("a", &position), "2");
    EXPECT_EQ(e.Attribute("a", &position), nullptr);
    ASSERT_EQ(Parse(cases[11].text, &e).error, 0);
    EXPECT_EQ(e.Clear(4).content, nullptr);
    EXPECT_EQ(e.Text(1), nullptr);

    XmlElement leaf;
    {
        XmlElement root = XmlElement::FromText("<r><a><b v='deep'>t</b></a></r>");
        XmlElement copy = root;
        leaf = copy.Child("a").Child("b");
        copy = XmlElement();
        EXPECT_STREQ(root.Name(), "r");
    }
    // The root's handles are gone; the leaf keeps the whole tree.
    EXPECT_STREQ(leaf.Attribute("v"), "deep");
    EXPECT_STREQ(leaf.Text(0), "t");

    position = 0;
    EXPECT_EQ(XmlElement().Attribute("a"), nullptr);
    EXPECT_TRUE(XmlElement().Child("a", &position).IsEmpty());
}

TEST(XmlFile, ReadsFilesAndEncodings) {
    const std::string path = QorTest::ScratchFile("read.xml");
    auto load = [&](const std::string& bytes, XmlElement* element = nullptr) {
        QorTest::WriteBytes(path, bytes);
        XmlResult r;
        XmlElement e = XmlElement::FromFile(path.c_str(), nullptr, &r);
        if (element != nullptr) *element = e;
        return r.error;
    };
    auto utf16 = [](const std::string& ascii) {
        std::string out;
        for (char c : ascii)
            out += std::string{c, '\0'};
        return out;
    };
    XmlResult r;
    for (const char* missing : {"/nonexistent/qor.xml", static_cast<const char*>(nullptr), "/"}) {
        EXPECT_TRUE(XmlElement::FromFile(missing, nullptr, &r).IsEmpty());
        EXPECT_TRUE(r.error == kXmlFileNotFound && r.line == 0) << r.error;
    }
    EXPECT_EQ(load(""), kXmlNoXmlData);
    XmlElement e;
    ASSERT_EQ(load("\xEF\xBB\xBF<a v='1'/>", &e), 0);
    EXPECT_STREQ(e.Attribute("v"), "1");

    // UTF-16 with either byte-order mark, and without one; a surrogate pair becomes 4 bytes.
    const std::string le = utf16("<a v='x'>t") + std::string("\x3D\xD8\x00\xDE", 4) + utf16("</a>");
    ASSERT_EQ(load("\xFF\xFE" + le, &e), 0);
    EXPECT_STREQ(e.Text(0), "t\xF0\x9F\x98\x80");
    ASSERT_EQ(load(le, &e), 0);
    EXPECT_STREQ(e.Attribute("v"), "x");
    std::string be = "\xFE\xFF";
    for (size_t i = 0; i < le.size(); i += 2)
        be += std::string{le[i + 1], le[i]};
    ASSERT_EQ(load(be, &e), 0);
    EXPECT_STREQ(e.Text(0), "t\xF0\x9F\x98\x80");
    ASSERT_EQ(load("\xFF\xFE" + utf16("<\xE9/>"), &e), 0);
    EXPECT_STREQ(e.Name(), "\xC3\xA9");

    EXPECT_EQ(load("\xFF\xFE" + utf16("<a>") + std::string("\x00\xDC", 2)), kXmlUnicodeConversion);
    EXPECT_EQ(load("\xFF\xFE" + utf16("<a>") + std::string("\x3D\xD8", 2)), kXmlUnicodeConversion);
    EXPECT_EQ(load(utf16("<a/>") + "x"), kXmlUnicodeConversion);
    EXPECT_EQ(load("\xFF\xFE"), kXmlNoElements);
}

const char* kSample =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE t [ <!ENTITY e 'x'> ]>\n"
    "<terrain clusters=\"1\" flag>\n  <!-- c --><cluster x='2'>\n  <row>\n"
    "    <v><t z=\"1.5\"/><w z='0'><s s0=\"&amp;&#x41;\" s1=0/></w>text &lt; more</v>\n"
    "  </row><![CDATA[ raw <> ]]>\n  </cluster>\n</terrain>\n";

TEST(XmlHostile, DeepNestingAndHugeCountsNeitherRecurseNorOverflow) {
    const int depth = 100000;
    XmlElement e;
    ASSERT_EQ(Parse(Repeat("<a>", depth) + "x" + Repeat("</a>", depth), &e).error, kXmlNoError);
    int levels = 1;
    for (; e.ChildCount() == 1; ++levels)
        e = e.ChildAt(0);
    EXPECT_EQ(levels, depth);
    EXPECT_STREQ(e.Text(0), "x");
    e = XmlElement();  // the whole tree goes here, without recursion

    // A million open elements, closed by the end of input.
    EXPECT_EQ(Parse(Repeat("<a>", 1000000)).error, kXmlWarningUnmatchedEndTag);
    // One wrong end tag deep down closes everything above the match.
    EXPECT_EQ(Parse("<b>" + Repeat("<a>", depth) + "</b>").error, kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(Parse(Repeat("<a>", depth) + "</b>").error, kXmlUnmatchedEndTag);
    EXPECT_EQ(Parse(Repeat("<?a?>", depth)).error, kXmlNoError);

    const int count = 200000;  // and enormous attribute counts
    std::string text = "<a";
    for (int i = 0; i < count; ++i)
        text += " n" + std::to_string(i) + "=\"" + std::to_string(i) + '"';
    text += Repeat(" bare", 1000) + "/>";
    ASSERT_EQ(Parse(text, &e).error, kXmlNoError);
    EXPECT_EQ(e.AttributeCount(), count + 1000);
    EXPECT_STREQ(e.Attribute("N199999"), "199999");
    EXPECT_EQ(e.AttributeAt(count + 999).value, nullptr);
}

TEST(XmlHostile, StrayBytesLeadBytesAtTheEndTruncationsAndMutations) {
    // A lead byte claims more bytes than are left: the scan must stop at the terminating zero.
    for (const char* tail : {"\xF0", "\xE0", "\xC2", "\xF4\x80", "\xFF"})
        for (const char* head : {"", "<", "<a", "<a ", "<a b", "<a b=", "<a b=\"", "<a>", "<a>t",
                                 "<a><!--", "<a></", "<a></a", "<?x ", "<a b='1'/>"}) {
            Parse(std::string(head) + tail);
            Parse(std::string(head) + tail, nullptr, "a");
        }
    // A lead byte swallows the bytes it claims, as the length table says, even a quote.
    XmlElement e;
    ASSERT_EQ(Parse("<a b='\xE0' x'/>", &e).error, kXmlNoError);
    EXPECT_STREQ(e.Attribute("b"), "\xE0' x");
    // Trimming cuts text inside such a character; its place is still counted by the table.
    const XmlResult r = Parse("<a>\xE0 \n<=");  // the line feed belongs to the character
    EXPECT_EQ(std::tuple(r.error, r.line, r.column), std::tuple(kXmlMissingStartTagName, 1, 6));
    // Bytes above 0x7F in names, values and text are carried as they are.
    ASSERT_EQ(Parse("<\x80\xFE v='\xF5\x81'>\xC0\xC1 \xFF</\x80\xFE>", &e).error, kXmlNoError);
    EXPECT_STREQ(e.Name(), "\x80\xFE");
    EXPECT_STREQ(e.Text(0), "\xC0\xC1 \xFF");
    const std::string sample = kSample;
    ASSERT_EQ(Parse(sample).error, kXmlNoError);
    for (size_t n = 0; n < sample.size(); ++n) {
        int code = Parse(sample.substr(0, n)).error;
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
        XmlElement e;
        const int code = Parse(text, &e, "terrain").error;
        EXPECT_TRUE(code >= kXmlNoError && code <= kXmlUnknownEntity) << text;
        Dump(e);  // whatever was read can be walked
    }
}

}  // namespace
