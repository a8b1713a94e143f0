#include "XmlFile.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

constexpr unsigned flags =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

std::string written(const char* xml, FileEncoding encoding)
{
    pugi::xml_document tree;
    tree.load_string(xml, flags);
    return XmlFile::serialise(tree, encoding, "Datei kann nicht gespeichert werden.");
}

TEST(XmlFile, CharactersTheEightBitEncodingLacksBecomeReferencesInTextAndAttributes)
{
    const char* xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"€\">ä日\u0081</r>";
    EXPECT_EQ(written(xml, {FileEncoding::latin1}),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"&#8364;\">\xE4&#26085;\x81</r>");
    // windows-1252 leaves 0x81 undefined, so U+0081 is a reference there.
    EXPECT_EQ(written(xml, {FileEncoding::windows1252}),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\x80\">\xE4&#26085;&#129;</r>");
    EXPECT_EQ(written("<r>ä</r>", {}), "<r>ä</r>");
}

TEST(XmlFile, ACharacterTheEncodingLacksWhereNoReferenceMayStandRefusesTheSave)
{
    for (const char* xml :
         {"<日/>", "<r a日=\"1\"/>", "<r><!-- 日 --></r>", "<r><?p 日?></r>", "<r><![CDATA[日]]></r>"}) {
        try {
            written(xml, {FileEncoding::latin1});
            ADD_FAILURE() << xml;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(
                std::string(e.what()).rfind("Datei kann nicht gespeichert werden. Das Zeichen \"日\"", 0), 0u)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("ISO-8859-1"), std::string::npos) << e.what();
        }
        EXPECT_NO_THROW(written(xml, {FileEncoding::utf16le}));
    }
}

TEST(XmlFile, CarriageReturnsAndWhitespaceOnlyTextAreWrittenSoAParserKeepsThem)
{
    pugi::xml_document tree;
    pugi::xml_node r = tree.append_child("r");
    r.append_attribute("a").set_value("x\r\n\ty\"");
    r.append_child(pugi::node_pcdata).set_value("a\rb\r\nc <&>");
    r.append_child("s").append_child(pugi::node_pcdata).set_value(" \n");
    EXPECT_EQ(XmlFile::serialise(tree, {}, "x"),
              "<r a=\"x&#13;&#10;&#9;y&quot;\">a&#13;b&#13;\nc &lt;&amp;&gt;<s>&#32;\n</s></r>");
}

TEST(XmlFile, Utf16IsWrittenInItsOwnByteOrderWithAByteOrderMark)
{
    EXPECT_EQ(written("<r>ä</r>", {FileEncoding::utf16be}),
              std::string("\xFE\xFF\0<\0r\0>\0\xE4\0<\0/\0r\0>", 18));
    EXPECT_EQ(written("<r>ä</r>", {FileEncoding::utf16le}),
              std::string("\xFF\xFE<\0r\0>\0\xE4\0<\0/\0r\0>\0", 18));
    EXPECT_EQ(written("<r>\U0001F600</r>", {FileEncoding::utf16le}).substr(8, 4),
              std::string("\x3D\xD8\x00\xDE", 4));
}

TEST(XmlFile, AControlCharacterInTheTreeRefusesTheSave)
{
    pugi::xml_document tree;
    tree.append_child("r").append_attribute("project").set_value("a\x01");
    EXPECT_THROW(XmlFile::serialise(tree, {}, "x"), std::runtime_error);
    std::string out;
    EXPECT_FALSE(XmlFile::appendText(out, "a\x01", true));
    EXPECT_FALSE(XmlFile::appendAttribute(out, std::string("a\0", 2)));
    EXPECT_TRUE(XmlFile::appendText(out, "\t\r\n", true));
}

TEST(XmlFile, ATreeOfAnyDepthIsWrittenAndRemovedWithoutRecursion)
{
    pugi::xml_document tree;
    pugi::xml_node node = tree.append_child("r");
    for (int i = 0; i < 300000; ++i)
        node = node.append_child("n");
    EXPECT_EQ(XmlFile::serialise(tree, {}, "x").size(), std::string("<r></r><n/>").size() + 299999 * 7u);
    XmlFile::removeChildren(tree.first_child());
    EXPECT_FALSE(tree.first_child().first_child());
}

} // namespace
