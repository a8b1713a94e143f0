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
    return XmlFile::serialise(tree, encoding, FileError("pack.xml", FileError::Step::save));
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
            EXPECT_EQ(std::string(e.what()).rfind(
                          "Datei \"pack.xml\" kann nicht gespeichert werden. Das Zeichen \"日\"", 0),
                      0u)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("ISO-8859-1"), std::string::npos) << e.what();
        }
        EXPECT_NO_THROW(written(xml, {FileEncoding::utf16le}));
    }
}

// The tree's texts and the pack's own are escaped alike; only in `value` and `comment`, whose
// reader makes every line break CR LF, does a carriage return stay raw, as packs were
// always written.
TEST(XmlFile, TreeTextsAndPackTextsAreEscapedByTheSameRules)
{
    const struct
    {
        const char* text;
        const char* inText;
        const char* inAttribute;
        const char* inPackText;
    } cases[] = {
        {"a&b<c>d\"e'", "a&amp;b&lt;c&gt;d\"e'", "a&amp;b&lt;c>d&quot;e'", "a&amp;b&lt;c&gt;d\"e'"},
        {"x\ty\nz", "x\ty\nz", "x&#9;y&#10;z", "x\ty\nz"},
        {"a\r\nb\rc", "a&#13;\nb&#13;c", "a&#13;&#10;b&#13;c", "a\r\nb\rc"},
        {"plain", "plain", "plain", "plain"},
    };
    for (const auto& c : cases) {
        pugi::xml_document tree;
        pugi::xml_node r = tree.append_child("r");
        r.append_attribute("a").set_value(c.text);
        r.append_child(pugi::node_pcdata).set_value(c.text);
        EXPECT_EQ(XmlFile::serialise(tree, {}, FileError("r.xml", FileError::Step::save)),
                  std::string("<r a=\"") + c.inAttribute + "\">" + c.inText + "</r>")
            << c.text;
        std::string attribute, text;
        EXPECT_TRUE(XmlFile::appendAttribute(attribute, c.text));
        EXPECT_TRUE(XmlFile::appendText(text, c.text, true));
        EXPECT_EQ(attribute, c.inAttribute) << c.text;
        EXPECT_EQ(text, c.inPackText) << c.text;
    }
    // Windows-1252 bytes of the pack's texts become UTF-8 on the way: plainly in attributes.
    std::string attribute, text;
    EXPECT_TRUE(XmlFile::appendAttribute(attribute, "\xE4<"));
    EXPECT_TRUE(XmlFile::appendText(text, "\xE4<", true));
    EXPECT_EQ(attribute, "ä&lt;");
    EXPECT_EQ(text, "Ã¤&lt;");
}

TEST(XmlFile, AControlCharacterXmlCannotHoldRefusesTheSave)
{
    pugi::xml_document tree;
    tree.append_child("r").append_attribute("a").set_value("x\x01");
    try {
        XmlFile::serialise(tree, {}, FileError("/p/pack.xml", FileError::Step::save));
        ADD_FAILURE();
    } catch (const FileError& e) {
        EXPECT_EQ(e.cause(), "Das Steuerzeichen U+0001 kann in XML nicht gespeichert werden.");
        EXPECT_EQ(std::string(e.what()), "Datei \"/p/pack.xml\" kann nicht gespeichert werden. " + e.cause());
    }
    std::string out;
    EXPECT_FALSE(XmlFile::appendText(out, "x\x1F", true));
    EXPECT_FALSE(XmlFile::appendAttribute(out, "\x7"));
}

} // namespace
