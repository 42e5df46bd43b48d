// The XML reader on well-formed and slightly broken documents: the tree, the queries, the
// codes and their places.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "kr/xml/xml_element.h"

namespace {

XmlResult Parse(const std::string& text, XmlElement* element = nullptr,
                const char* first_tag = nullptr) {
    XmlResult result;
    XmlElement e = XmlElement::FromText(text.c_str(), first_tag, &result);
    if (element != nullptr) *element = e;
    return result;
}

void ExpectResult(const std::string& text, int code, int line, int column) {
    XmlResult r = Parse(text);
    EXPECT_EQ(r.error, code) << text;
    EXPECT_EQ(r.line, line) << text;
    EXPECT_EQ(r.column, column) << text;
}

const char* kScene =
    "<?xml version=\"1.0\" encoding=\"CP1250\"?>\n"
    "<terrain clusters=\"1\">\n"
    "  <sun x=\"1\" y=\"2\" z=\"3\" />\n"
    "  <cluster x=\"2\" y=\"2\" start_x=\"0\" end_x=\"1\" start_y=\"0\" end_y=\"1\">\n"
    "  <row>\n"
    "    <v><t z=\"12.3457\"/><w z=\"0.5\"><s s0=\"0\" s1=\"0.001\" s2=\"2\" s3=\"3\" s4=\"4\" "
    "s5=\"5\" s6=\"6\" s7=\"7\"/></w></v>\n"
    "    <v><t z=\"-1e-05\"/><w z=\"0\"><s s0=\"1\"/></w></v>\n"
    "  </row>\n"
    "  <row>\n"
    "    <v><t z=\"7\"/><w z=\"0\"/></v>\n"
    "  </row>\n"
    "  </cluster>\n"
    "</terrain>";

TEST(XmlReader, ErrorTexts) {
    EXPECT_STREQ(XmlErrorText(0), "No error");
    EXPECT_STREQ(XmlErrorText(1), "Warning: Unmatched end tag");
    EXPECT_STREQ(XmlErrorText(13), "Error: First Tag not found");
    EXPECT_STREQ(XmlErrorText(15), "Error: unable to convert between UNICODE and MultiByte chars");
    EXPECT_STREQ(XmlErrorText(21), "Error: Base64 decode output buffer is too small");
    EXPECT_STREQ(XmlErrorText(22), "Unknown");
    EXPECT_STREQ(XmlErrorText(-1), "Unknown");
}

TEST(XmlReader, ReadsASceneDocument) {
    XmlElement terrain;
    XmlResult r = Parse(kScene, &terrain, "TERRAIN");
    ASSERT_EQ(r.error, kXmlNoError);
    EXPECT_STREQ(terrain.Name(), "terrain");
    EXPECT_STREQ(terrain.Attribute("clusters"), "1");
    EXPECT_STREQ(terrain.Child("sun").Attribute("Z"), "3");

    XmlElement cluster = terrain.Child("CLUSTER", 0);
    ASSERT_FALSE(cluster.IsEmpty());
    EXPECT_STREQ(cluster.Attribute("end_y"), "1");
    EXPECT_TRUE(terrain.Child("cluster", 1).IsEmpty());

    XmlElement row = cluster.Child("row", 0);
    XmlElement v = row.Child("v", 0);
    EXPECT_STREQ(v.Child("t").Attribute("z"), "12.3457");
    XmlElement s = v.Child("w").Child("s");
    ASSERT_EQ(s.AttributeCount(), 8);
    for (int k = 0; k < 8; ++k) {
        const char name[] = {'s', static_cast<char>('0' + k), '\0'};
        EXPECT_STREQ(s.AttributeAt(k).name, name);
    }
    EXPECT_STREQ(s.AttributeAt(1).value, "0.001");
    EXPECT_STREQ(row.Child("v", 1).Child("t").Attribute("z"), "-1e-05");
    EXPECT_STREQ(cluster.Child("row", 1).Child("v", 0).Child("t").Attribute("z"), "7");

    // Without a first tag the declaration, holding the rest, is the root.
    XmlElement root;
    ASSERT_EQ(Parse(kScene, &root).error, kXmlNoError);
    EXPECT_TRUE(root.IsDeclaration());
    EXPECT_STREQ(root.Name(), "xml");
    EXPECT_STREQ(root.Attribute("encoding"), "CP1250");
    EXPECT_EQ(root.AttributeCount(), 2);
    EXPECT_STREQ(root.ChildAt(0).Name(), "terrain");
}

TEST(XmlReader, ChildLookupsByIndexAndPosition) {
    XmlElement list;
    ASSERT_EQ(Parse("<l><a n='0'/><b/><A n='1'/><b/><a n='2'/><a n='3'/></l>", &list).error, 0);
    EXPECT_EQ(list.ChildCount(), 6);
    EXPECT_STREQ(list.ChildAt(1).Name(), "b");
    EXPECT_TRUE(list.ChildAt(6).IsEmpty());
    EXPECT_TRUE(list.ChildAt(-1).IsEmpty());

    // Indices in any order, names interleaved: the remembered lookup must never be misused.
    for (int i : {0, 1, 2, 3, 3, 1, 0, 2}) {
        EXPECT_STREQ(list.Child("a", i).Attribute("n"), std::to_string(i).c_str()) << i;
        EXPECT_FALSE(list.Child("B", i % 2).IsEmpty());
    }
    EXPECT_TRUE(list.Child("a", 4).IsEmpty());
    EXPECT_TRUE(list.Child("b", 2).IsEmpty());
    EXPECT_TRUE(list.Child("a", -1).IsEmpty());

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

TEST(XmlReader, Attributes) {
    XmlElement e;
    ASSERT_EQ(Parse("<e flag a=\"1\" A='2' b=plain c=\"it's\" d='say \"hi\"' last/>", &e).error, 0);
    EXPECT_TRUE(e.HasAttribute("FLAG"));
    EXPECT_EQ(e.Attribute("flag"), nullptr);
    EXPECT_TRUE(e.HasAttribute("last"));
    EXPECT_FALSE(e.HasAttribute("missing"));
    EXPECT_STREQ(e.Attribute("a"), "1");
    EXPECT_STREQ(e.Attribute("b"), "plain");
    EXPECT_STREQ(e.Attribute("c"), "it's");
    EXPECT_STREQ(e.Attribute("d"), "say \"hi\"");

    int position = 0;
    EXPECT_STREQ(e.Attribute("a", &position), "1");
    EXPECT_EQ(position, 2);
    EXPECT_STREQ(e.Attribute("a", &position), "2");
    EXPECT_EQ(e.Attribute("a", &position), nullptr);
    EXPECT_EQ(position, 3);

    EXPECT_STREQ(e.AttributeAt(0).name, "flag");
    EXPECT_EQ(e.AttributeAt(0).value, nullptr);
    XmlAttribute out = e.AttributeAt(7);
    EXPECT_EQ(out.name, nullptr);
    EXPECT_EQ(out.value, nullptr);

    // "?>" closes a declaration without leaving a '?' behind.
    XmlElement d;
    ASSERT_EQ(Parse("<?xml version=1.0?>", &d).error, 0);
    EXPECT_STREQ(d.Attribute("version"), "1.0");
    ASSERT_EQ(Parse("<?xml a='x' ?>", &d).error, 0);
    EXPECT_EQ(d.AttributeCount(), 1);
    ASSERT_EQ(Parse("<?xml?>", &d).error, 0);
    EXPECT_STREQ(d.Name(), "xml");
    ASSERT_EQ(Parse("<e a=b?/>", &e).error, 0);
    EXPECT_STREQ(e.Attribute("a"), "b?");
    // Quoted values run into each other and over line feeds.
    ASSERT_EQ(Parse("<e a=\"1\"b='2'c=\"x\ny\"/>", &e).error, 0);
    EXPECT_EQ(e.AttributeCount(), 3);
    EXPECT_STREQ(e.Attribute("b"), "2");
    EXPECT_STREQ(e.Attribute("c"), "x\ny");
}

TEST(XmlReader, Entities) {
    XmlElement e;
    ASSERT_EQ(
        Parse("<e v=\"&AMP;&lt;&Gt;&quot;&apos;&#65;&#x41;&#X6a;\">a &amp; b&#33;</e>", &e).error,
        0);
    EXPECT_STREQ(e.Attribute("v"), "&<>\"'AAj");
    EXPECT_STREQ(e.Text(0), "a & b!");
    ASSERT_EQ(Parse("<e>&#255;&#xFF;</e>", &e).error, 0);
    EXPECT_STREQ(e.Text(0), "\xFF\xFF");

    ExpectResult("<e>&copy;</e>", kXmlUnknownEntity, 1, 4);
    ExpectResult("<e a='x&amp'/>", kXmlUnknownEntity, 1, 8);
    for (const char* bad : {"&#;", "&#x;", "&#12a;", "&#0;", "&#256;", "&#x100;",
                            "&#99999999999999999999999;", "&#xFFFFFFFFFFFFFFFFFF41;", "& ", "&"}) {
        EXPECT_EQ(Parse(std::string("<e>") + bad + "</e>").error, kXmlUnknownEntity) << bad;
        EXPECT_EQ(Parse(std::string("<e a=\"") + bad + "\"/>").error, kXmlUnknownEntity) << bad;
    }
}

TEST(XmlReader, TextAndClearSections) {
    XmlElement e;
    ASSERT_EQ(Parse("<e>  one\n two \t<x/>\r\n   <y/> three</e>", &e).error, 0);
    EXPECT_EQ(e.TextCount(), 2);  // the blanks between x and y are no text
    EXPECT_STREQ(e.Text(0), "one\n two");
    EXPECT_STREQ(e.Text(1), "three");
    EXPECT_EQ(e.Text(2), nullptr);
    EXPECT_EQ(e.ClearCount(), 0);

    ASSERT_EQ(Parse("<e><![cdata[ <a>&amp; ]]><!-- <b> --><pre>x<y></PRE>"
                    "<SCRIPT>if (a<b) c();</script>z</e>",
                    &e)
                  .error,
              0);
    ASSERT_EQ(e.ClearCount(), 4);
    EXPECT_EQ(e.ChildCount(), 0);
    EXPECT_STREQ(e.Clear(0).open, "<![CDATA[");
    EXPECT_STREQ(e.Clear(0).content, " <a>&amp; ");
    EXPECT_STREQ(e.Clear(0).close, "]]>");
    EXPECT_STREQ(e.Clear(1).content, " <b> ");
    EXPECT_STREQ(e.Clear(2).content, "x<y>");
    EXPECT_STREQ(e.Clear(3).content, "if (a<b) c();");
    EXPECT_STREQ(e.Text(0), "z");
    EXPECT_EQ(e.Clear(4).content, nullptr);

    XmlElement root;
    ASSERT_EQ(Parse("<!DOCTYPE note SYSTEM \"n.dtd\"><note/>", &root).error, 0);
    EXPECT_STREQ(root.Clear(0).content, " note SYSTEM \"n.dtd\"");
    ASSERT_EQ(Parse("<!DOCTYPE n [ <!ENTITY a \"b\"> ]><n/>", &root, "n").error, 0);
    ASSERT_EQ(Parse("<!DOCTYPE n [ <!ENTITY a \"b\"> ]><n/>", &root).error, 0);
    EXPECT_STREQ(root.Clear(0).content, " n [ <!ENTITY a \"b\"> ");
    EXPECT_STREQ(root.Clear(0).close, "]>");

    ExpectResult("<e>\n<!-- open", kXmlUnmatchedClearTagEnd, 2, 1);
    ExpectResult("<e><![CDATA[ x ]>", kXmlUnmatchedClearTagEnd, 1, 4);
    ExpectResult("<!DOCTYPE n [ <!ENTITY a 'b'> >", kXmlUnmatchedClearTagEnd, 1, 1);
}

TEST(XmlReader, ForgivingEndTags) {
    XmlElement a;
    XmlResult r = Parse("<a><b><c></a>", &a);
    EXPECT_EQ(r.error, kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(r.column, 10);
    EXPECT_STREQ(a.Child("b").Child("c").Name(), "c");

    r = Parse("<a>\n<b>text", &a);  // the end of input closes what is open
    EXPECT_EQ(r.error, kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.column, 8);
    EXPECT_STREQ(a.Child("B").Text(0), "text");

    EXPECT_EQ(Parse("<A></a>").error, kXmlNoError);
    ExpectResult("<a></b>", kXmlUnmatchedEndTag, 1, 4);
    ExpectResult("</a>", kXmlUnmatchedEndTag, 1, 1);
    // A declaration has no end tag to miss.
    EXPECT_EQ(Parse("<?xml version='1.0'?><a/>").error, kXmlNoError);
    EXPECT_EQ(Parse("<?xml?><a/></xml>").error, kXmlNoError);
}

TEST(XmlReader, ErrorCodesAndPlaces) {
    ExpectResult("", kXmlNoElements, 1, 1);
    ExpectResult("  text only\n", kXmlNoElements, 2, 1);
    EXPECT_EQ(Parse("<!-- nothing -->").error, kXmlNoElements);
    XmlResult r;
    EXPECT_TRUE(XmlElement::FromText(nullptr, nullptr, &r).IsEmpty());
    EXPECT_EQ(r.error, kXmlNoElements);

    ExpectResult("<a>\n  <>", kXmlMissingStartTagName, 2, 4);
    ExpectResult("<a></>", kXmlMissingEndTagName, 1, 6);
    ExpectResult("<a></a", kXmlMissingEndTagName, 1, 7);
    ExpectResult("<a b=\"x></a>", kXmlUnmatchedQuote, 1, 6);
    ExpectResult("<a b=>", kXmlUnexpectedToken, 1, 6);
    ExpectResult("<a =x>", kXmlUnexpectedToken, 1, 4);
    ExpectResult("<a 'x'>", kXmlUnexpectedToken, 1, 4);
    ExpectResult("<a b='1'", kXmlUnexpectedToken, 1, 9);
    ExpectResult("<a<b>", kXmlUnexpectedToken, 1, 3);
    // Lines counted over a tag name cut at its line feed and over quoted line feeds.
    ExpectResult("<a\nb=\"1\"\nc='x\ny' <", kXmlUnexpectedToken, 4, 4);

    // Columns count characters, not bytes; the counted text is the text as written, though
    // the parser has already cut strings and decoded entities in place before the error.
    ExpectResult("<\xC3\xA9t\xC3\xA9 a='\xE2\x82\xAC'>\n<b\nc='&amp;&#10;x'>\xF0\x9F\x98\x80 <=",
                 kXmlMissingStartTagName, 3, 20);
    ExpectResult("<a>x\n</a>\n<b>\n<c>\n</x>", kXmlUnmatchedEndTag, 5, 1);

    XmlElement e = XmlElement::FromText("<a/><b/>", "c", &r);
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_EQ(r.error, kXmlFirstTagNotFound);
    EXPECT_EQ(r.column, 9);
    EXPECT_TRUE(XmlElement::FromText("<r><a><c/></a></r>", "c", &r).IsEmpty());  // not a grandchild
    EXPECT_TRUE(XmlElement::FromText("<a b='1'/", nullptr, &r).IsEmpty());
    EXPECT_EQ(r.error, kXmlUnexpectedToken);
}

TEST(XmlReader, RootsAndFirstTag) {
    XmlElement root;
    ASSERT_EQ(Parse("<a/><b/>", &root).error, 0);
    EXPECT_EQ(root.Name(), nullptr);  // the unnamed root stays when there are two elements
    EXPECT_EQ(root.ChildCount(), 2);
    ASSERT_EQ(Parse("hello <a/>", &root).error, 0);
    EXPECT_STREQ(root.Text(0), "hello");

    // The search goes into declarations in turn.
    ASSERT_EQ(Parse("<?xml?><?inner?><x/><target n='1'/>", &root, "Target").error, 0);
    EXPECT_STREQ(root.Attribute("n"), "1");
    ASSERT_EQ(Parse("<a/><b n='2'/>", &root, "b").error, 0);
    EXPECT_STREQ(root.Attribute("n"), "2");
}

TEST(XmlReader, HandlesShareTheTree) {
    XmlElement leaf;
    {
        XmlElement root = XmlElement::FromText("<r><a><b v='deep'>t</b></a></r>");
        XmlElement copy = root;
        leaf = copy.Child("a").Child("b");
        copy = XmlElement();
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_STREQ(root.Name(), "r");
    }
    // The root's handles are gone; the leaf keeps the whole tree.
    EXPECT_STREQ(leaf.Attribute("v"), "deep");
    EXPECT_STREQ(leaf.Text(0), "t");

    XmlElement none;
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.Name(), nullptr);
    EXPECT_EQ(none.Attribute("a"), nullptr);
    EXPECT_FALSE(none.HasAttribute("a"));
    EXPECT_TRUE(none.Child("a").IsEmpty());
    EXPECT_EQ(none.ChildCount(), 0);
    EXPECT_EQ(none.AttributeAt(0).name, nullptr);
    EXPECT_EQ(none.Text(0), nullptr);
    int position = 0;
    EXPECT_TRUE(none.Child("a", &position).IsEmpty());
}

class XmlFile : public ::testing::Test {
  protected:
    void TearDown() override { std::filesystem::remove(path_); }
    const char* Write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary) << bytes;
        return path_.c_str();
    }
    XmlResult Load(const std::string& bytes, XmlElement* element = nullptr) {
        XmlResult r;
        XmlElement e = XmlElement::FromFile(Write(bytes), nullptr, &r);
        if (element != nullptr) *element = e;
        return r;
    }
    static std::string Utf16Le(const std::string& ascii) {
        std::string out;
        for (char c : ascii)
            out += std::string{c, '\0'};
        return out;
    }

    std::string path_ = (std::filesystem::temp_directory_path() /
                         ("qor_xml_test_" + std::to_string(::getpid()) + ".xml"))
                            .string();
};

TEST_F(XmlFile, ReadsFilesAndEncodings) {
    XmlResult r;
    EXPECT_TRUE(XmlElement::FromFile("/nonexistent/qor.xml", nullptr, &r).IsEmpty());
    EXPECT_EQ(r.error, kXmlFileNotFound);
    EXPECT_EQ(r.line, 0);
    EXPECT_TRUE(XmlElement::FromFile(nullptr, nullptr, &r).IsEmpty());
    EXPECT_EQ(r.error, kXmlFileNotFound);
    EXPECT_EQ(XmlElement::FromFile("/", nullptr, &r).IsEmpty(), true);
    EXPECT_EQ(r.error, kXmlFileNotFound);
    EXPECT_EQ(Load("").error, kXmlNoXmlData);

    XmlElement e;
    ASSERT_EQ(Load("\xEF\xBB\xBF<a v='1'/>", &e).error, 0);
    EXPECT_STREQ(e.Attribute("v"), "1");

    // UTF-16 with either byte-order mark, and without one; a surrogate pair becomes 4 bytes.
    std::string le = Utf16Le("<a v='x'>t") + std::string("\x3D\xD8\x00\xDE", 4) + Utf16Le("</a>");
    ASSERT_EQ(Load("\xFF\xFE" + le, &e).error, 0);
    EXPECT_STREQ(e.Text(0), "t\xF0\x9F\x98\x80");
    ASSERT_EQ(Load(le, &e).error, 0);
    EXPECT_STREQ(e.Attribute("v"), "x");
    std::string be = "\xFE\xFF";
    for (size_t i = 0; i < le.size(); i += 2)
        be += std::string{le[i + 1], le[i]};
    ASSERT_EQ(Load(be, &e).error, 0);
    EXPECT_STREQ(e.Text(0), "t\xF0\x9F\x98\x80");
    ASSERT_EQ(Load("\xFF\xFE" + Utf16Le("<\xE9/>"), &e).error, 0);
    EXPECT_STREQ(e.Name(), "\xC3\xA9");

    EXPECT_EQ(Load("\xFF\xFE" + Utf16Le("<a>") + std::string("\x00\xDC", 2)).error,
              kXmlUnicodeConversion);
    EXPECT_EQ(Load("\xFF\xFE" + Utf16Le("<a>") + std::string("\x3D\xD8", 2)).error,
              kXmlUnicodeConversion);
    EXPECT_EQ(Load(Utf16Le("<a/>") + "x").error, kXmlUnicodeConversion);
    EXPECT_EQ(Load("\xFF\xFE").error, kXmlNoElements);
}

}  // namespace
