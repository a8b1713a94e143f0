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

} // namespace
