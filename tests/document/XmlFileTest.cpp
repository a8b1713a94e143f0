#include "XmlFile.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

TEST(XmlFile, CharactersTheEightBitEncodingLacksBecomeReferences)
{
    pugi::xml_document tree;
    tree.load_string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"€\">ä日</r>",
                     pugi::parse_default | pugi::parse_declaration);
    EXPECT_EQ(XmlFile::serialise(tree),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"&#8364;\">\xE4&#26085;</r>");
    tree.first_child().attribute("encoding").set_value("windows-1252");
    EXPECT_EQ(XmlFile::serialise(tree),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r a=\"\x80\">\xE4&#26085;</r>");
}

TEST(XmlFile, TreeWithoutDeclarationIsUtf8)
{
    pugi::xml_document tree;
    tree.load_string("<r>ä</r>");
    EXPECT_EQ(XmlFile::serialise(tree), "<r>ä</r>");
}

} // namespace
