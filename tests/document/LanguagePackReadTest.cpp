#include "LanguagePack.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

std::string pack(const std::string& content,
                 const std::string& root =
                     "project=\"p\" name=\"n\" lang=\"de\" version=\"1.0.0\" date=\"2007-03-05 09:07\"")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<languagepack " + root +
           ">\n  <info>x</info>\n  <content>\n" + content + "\n  </content>\n</languagepack>\n";
}

class ReadPack : public ::testing::Test
{
protected:
    void read(const std::string& xml) { doc.readPack(dir.write("pack.xml", xml)); }
    std::vector<std::string> keys() const { return doc.keys.items(); }

    TempDir dir;
    LanguagePack doc;
};

TEST_F(ReadPack, FillsInfoValuesInfoBlockTablesAndSortedKeyList)
{
    read(pack(
        R"(<key id="b" encodeHTML="1" preserveLinebreaks="0" unixNewline="1"><value>Bee</value><comment>c</comment></key>
                 <key id="A" encodeHTML="0" preserveLinebreaks="1" unixNewline="0"><value>Ay</value><comment/></key>)"));
    EXPECT_EQ(keys(), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(doc.packProject, "p");
    EXPECT_EQ(doc.packDate, "2007-03-05 09:07");
    EXPECT_EQ(doc.infoBlock[rowLang], "de");
    EXPECT_EQ(doc.infoBlock[rowVersion], "1.0.0");
    EXPECT_EQ(doc.ValueList.value("b"), "Bee");
    EXPECT_EQ(doc.CommentList.value("b"), "c");
    EXPECT_EQ(doc.CommentList.indexOfName("A"), -1);
    EXPECT_EQ(doc.HtmlList.value("b"), "1");
    EXPECT_EQ(doc.BreakList.value("a"), "1");
    EXPECT_EQ(doc.UnixList.value("B"), "1");
    EXPECT_EQ(doc.packFileName, "pack.xml");
    EXPECT_EQ(doc.xmlFileName(), dir.path("pack.xml"));
}

TEST_F(ReadPack, TextsAreDecodedAndLineBreaksMadeCrLf)
{
    read(
        pack("<key id=\"k\"><value>GrÃ¶ÃŸe â‚¬\nzwei\r\ndrei&#13;vier</value><comment>   \n  </comment></key>"
             "<key id=\"ws\"><value>  \n </value></key>"));
    EXPECT_EQ(doc.ValueList.value("k"), "Gr\xF6\xDF"
                                        "e \x80\r\nzwei\r\ndrei\r\nvier");
    EXPECT_EQ(doc.CommentList.value("k"), "");
    EXPECT_EQ(doc.ValueList.value("ws"), "");
    EXPECT_EQ(keys(), (std::vector<std::string>{"k", "ws"}));
}

TEST_F(ReadPack, HandEditedTextThatIsNotDoubledKeepsItsCharacters)
{
    read(pack("<key id=\"k\"><value>Größe</value><comment>Ärger</comment></key>"));
    EXPECT_EQ(doc.ValueList.value("k"), "Gr\xF6\xDF"
                                        "e");
    EXPECT_EQ(doc.CommentList.value("k"), "\xC4rger");
}

TEST_F(ReadPack, KeyElementShapes)
{
    read(pack(R"(<key id="flagsOnly" encodeHTML="1" unixNewline="true"/>
                 <key id="noValue"><comment>only comment</comment></key>
                 <key id="noComment"><value>only value</value></key>
                 <key encodeHTML="1"><value>no id</value></key>
                 <key id=""><value>empty id</value></key>
                 <other id="sibling"><value>any name after the first key</value></other>)"));
    EXPECT_EQ(keys(), (std::vector<std::string>{"noComment", "noValue", "sibling"}));
    EXPECT_EQ(doc.HtmlList.value("flagsOnly"), "1");
    EXPECT_EQ(doc.UnixList.value("flagsOnly"), "true");
    EXPECT_EQ(doc.ValueList.value("noValue"), "");
    EXPECT_EQ(doc.CommentList.value("noValue"), "only comment");
    EXPECT_EQ(doc.ValueList.value("sibling"), "any name after the first key");
    EXPECT_EQ(doc.ValueList.count(), 2);
}

TEST_F(ReadPack, NodesBeforeTheFirstKeyAreNotVisited)
{
    read(pack(R"(<entry id="before"><value>x</value></entry><key id="k"><value>v</value></key>)"));
    EXPECT_EQ(keys(), (std::vector<std::string>{"k"}));
}

TEST_F(ReadPack, DuplicateIdsAreListedTwiceAndTheLaterElementWins)
{
    read(pack(R"(<key id="d" encodeHTML="1"><value>first</value><comment>c1</comment></key>
                 <key id="D" encodeHTML=""><value>second</value><comment></comment></key>)"));
    EXPECT_EQ(keys(), (std::vector<std::string>{"D", "d"}));
    EXPECT_EQ(doc.ValueList.value("d"), "second");
    EXPECT_EQ(doc.CommentList.value("d"), "");
    EXPECT_EQ(doc.HtmlList.value("d"), "");
}

TEST_F(ReadPack, MissingContentAndAbsentRootAttributesReadAsEmpty)
{
    read("<languagepack name=\"only name\"><info/></languagepack>");
    EXPECT_TRUE(doc.keys.empty());
    EXPECT_EQ(doc.packName, "only name");
    EXPECT_EQ(doc.packProject, "");
    EXPECT_EQ(doc.infoBlock[rowDate], "");
}

TEST_F(ReadPack, ValueHoldingAnElementOrCommentStopsAtThatKeyAndKeepsEarlierKeys)
{
    for (const char* bad : {"<value>a<b/>c</value>", "<value>a<!-- c --></value>", "<comment><x/></comment>",
                            "<value>a<![CDATA[b]]></value>"}) {
        LanguagePack fresh;
        const std::string path =
            dir.write("bad.xml", pack(std::string("<key id=\"a\"><value>fine</value></key>"
                                                  "<key id=\"c\"><value>ok</value></key>"
                                                  "<key id=\"bad\">") +
                                      bad + "</key><key id=\"z\"><value>late</value></key>"));
        try {
            fresh.readPack(path);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("\"bad\""), std::string::npos) << e.what();
        }
        EXPECT_EQ(fresh.keys.items().front(), "a") << bad;
        EXPECT_EQ(fresh.keys.indexOf("z"), -1) << bad;
        EXPECT_EQ(fresh.ValueList.value("c"), "ok");
        EXPECT_EQ(fresh.packProject, "p");
        EXPECT_TRUE(fresh.hasTree());
        EXPECT_TRUE(fresh.readStoppedAtKey());
        fresh.loadNewDocumentTree();
        EXPECT_FALSE(fresh.readStoppedAtKey());
    }
}

TEST_F(ReadPack, CdataIsText)
{
    read(pack("<key id=\"k\"><value><![CDATA[<b>&amp;</b>]]></value></key>"));
    EXPECT_EQ(doc.ValueList.value("k"), "<b>&amp;</b>");
}

struct BadInput
{
    const char* name;
    std::string bytes;
};

TEST_F(ReadPack, BrokenFilesGiveAClearErrorAndLeaveNoTree)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    const BadInput cases[] = {
        {"empty", ""},
        {"not xml", "this is no XML at all"},
        {"truncated", pack("<key id=\"a\"><value>x</value></key>").substr(0, 90)},
        {"garbage", garbage},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><languagepack/>"},
        {"two roots", "<a/><b/>"},
        {"text beside the root", "<a/>text"},
    };
    for (const auto& c : cases) {
        LanguagePack fresh;
        fresh.packProject = "unchanged";
        const std::string path = dir.write("broken.xml", c.bytes);
        try {
            fresh.readPack(path);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << c.name << ": " << e.what();
        }
        EXPECT_FALSE(fresh.hasTree()) << c.name;
        EXPECT_EQ(fresh.xmlFileName(), path) << c.name;
        EXPECT_EQ(fresh.packProject, "unchanged") << c.name;
    }
}

TEST_F(ReadPack, UnknownEncodingIsNamedInTheError)
{
    const std::string path =
        dir.write("sjis.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><languagepack/>");
    try {
        doc.readPack(path);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Shift_JIS"), std::string::npos);
    }
}

TEST_F(ReadPack, Utf32FileIsRefusedByItsDeclaredName)
{
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-32\"?><languagepack/>";
    std::string bytes = std::string("\xFF\xFE\0\0", 4);
    for (char c : text)
        bytes += std::string(1, c) + std::string(3, '\0');
    try {
        doc.readPack(dir.write("utf32.xml", bytes));
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("UTF-32"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(doc.hasTree());
}

TEST_F(ReadPack, AFileThatCannotBeReadIsNamedWithTheCauseInGerman)
{
    const std::pair<std::string, std::string> cases[] = {
        {dir.path("nowhere.xml"), "Datei oder Ordner nicht gefunden."},
        {dir.root.string(), "Das ist ein Ordner, keine Datei."},
    };
    for (const auto& [path, reason] : cases)
        try {
            doc.readPack(path);
            ADD_FAILURE() << path;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "Datei \"" + path + "\" kann nicht gelesen werden. " + reason);
        }
}

TEST_F(ReadPack, EntitiesAreNeverExpandedNorFetched)
{
    const std::string secret = dir.write("secret.txt", "SECRET");
    read("<?xml version=\"1.0\"?>\n<!DOCTYPE languagepack [\n"
         "<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
         "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
         "<!ENTITY ext SYSTEM \"file://" +
         secret +
         "\">]>\n"
         "<languagepack><content><key id=\"bomb\"><value>&lol3;</value></key>"
         "<key id=\"ext\"><value>&ext;</value></key></content></languagepack>");
    EXPECT_LT(doc.ValueList.value("bomb").size(), 100u);
    EXPECT_EQ(doc.ValueList.value("ext").find("SECRET"), std::string::npos);
}

TEST_F(ReadPack, NestingUpToTheLimitAndHugeValuesAreReadAndDeeperNestingIsRefused)
{
    auto nested = [](int depth) {
        std::string deep = "<languagepack><info>";
        for (int i = 2; i < depth; ++i)
            deep += "<n>";
        for (int i = 2; i < depth; ++i)
            deep += "</n>";
        return deep + "</info><content><key id=\"k\"><value>v</value></key></content></languagepack>";
    };
    read(nested(256));
    EXPECT_EQ(doc.ValueList.value("k"), "v");
    try {
        read(nested(257));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("mehr als 256 Ebenen"), std::string::npos) << e.what();
    }

    const std::string big(50u << 20, 'x');
    read(pack("<key id=\"big\"><value>" + big + "</value></key>"));
    EXPECT_EQ(doc.ValueList.value("big").size(), big.size());
}

} // namespace
