#include "LanguagePack.h"
#include "TempDir.h"
#include "Windows1252.h"

#include <algorithm>
#include <random>

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

// Random packs whose names repeat, in other letter cases too, from the first element on or
// only later, against the reading steps done on plain lists: the reader takes a faster way
// while every name is new and must end with the same key list and tables.
TEST_F(ReadPack, RepeatedNamesAnywhereGiveTheTablesOfTheReadingSteps)
{
    using Plain = std::vector<std::pair<std::string, std::string>>;
    auto set = [](Plain& table, const std::string& key, const std::string& text) {
        const auto at = std::find_if(table.begin(), table.end(),
                                     [&key](const auto& e) { return Windows1252::sameText(e.first, key); });
        if (text.empty() && at != table.end())
            table.erase(at);
        else if (!text.empty() && at != table.end())
            *at = {key, text};
        else if (!text.empty())
            table.emplace_back(key, text);
    };
    auto entries = [](const THashedStringList& t) {
        Plain out;
        for (int i = 0; i < t.count(); ++i)
            out.emplace_back(t.nameAt(i), t.valueAt(i));
        return out;
    };
    for (const int repeatFrom : {0, 1, 150, 299, 1000}) {
        std::mt19937 random(static_cast<unsigned>(repeatFrom + 1));
        std::string content;
        Plain value, comment, flags[3];
        std::vector<std::string> listed;
        for (int i = 0; i < 300; ++i) {
            const bool repeat = i >= repeatFrom && random() % 3 == 0;
            std::string key =
                "k" + std::to_string(1000 + (repeat ? random() % (i + 1) : static_cast<unsigned>(i)));
            if (random() % 2)
                key[0] = 'K';
            const char* flagNames[3] = {"encodeHTML", "preserveLinebreaks", "unixNewline"};
            const std::string flagTexts[3] = {"", "0", "1"};
            content += "<key id=\"" + key + "\"";
            std::string flag[3];
            bool has[3];
            for (int f = 0; f < 3; ++f) {
                has[f] = random() % 4 != 0;
                flag[f] = flagTexts[random() % 3];
                if (has[f])
                    content += std::string(" ") + flagNames[f] + "=\"" + flag[f] + "\"";
            }
            for (int f = 0; f < 3; ++f)
                if (has[f])
                    set(flags[f], key, flag[f]);
            const std::string text = random() % 4 ? "t" + std::to_string(i) : "";
            const std::string note = random() % 2 ? "c" + std::to_string(i) : "";
            if (random() % 8 == 0) {
                content += "/>";
                continue;
            }
            content += "><value>" + text + "</value><comment>" + note + "</comment></key>";
            set(value, key, text);
            listed.push_back(key);
            set(comment, key, note);
        }
        read(pack(content));
        ASSERT_EQ(entries(doc.ValueList), value) << repeatFrom;
        ASSERT_EQ(entries(doc.CommentList), comment) << repeatFrom;
        ASSERT_EQ(entries(doc.HtmlList), flags[0]) << repeatFrom;
        ASSERT_EQ(entries(doc.BreakList), flags[1]) << repeatFrom;
        ASSERT_EQ(entries(doc.UnixList), flags[2]) << repeatFrom;
        std::vector<std::string> keysRead = keys();
        std::sort(keysRead.begin(), keysRead.end());
        std::sort(listed.begin(), listed.end());
        ASSERT_EQ(keysRead, listed) << repeatFrom;
        for (const auto& [key, text] : value)
            ASSERT_EQ(doc.ValueList.value(key), text);
        doc.clearKeys();
    }
}

} // namespace
