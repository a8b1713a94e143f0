// The document as a whole without a window: open, new and close each empty or fill all it
// holds, and only its own operations change its saved state.
#include "LanguagePack.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Texts = std::vector<std::string>;

class PackLifecycle : public ::testing::Test
{
protected:
    PackLifecycle()
    {
        doc.clock = [] { return LocalDateTime{2026, 12, 10, 8, 30}; };
        path =
            dir.write("de.xml", "<languagepack project=\"shop\" name=\"web\" lang=\"de\" version=\"1.2.3\" "
                                "date=\"d\"><content><key id=\"b\"><value>zwei</value></key><key id=\"a\">"
                                "<value>eins</value><comment>c</comment></key></content></languagepack>");
    }
    Texts info() const { return {doc.infoBlock.begin(), doc.infoBlock.end()}; }
    bool changed() const { return !doc.isSaved && doc.isModified; }

    TempDir dir;
    std::string path;
    LanguagePack doc;
};

TEST_F(PackLifecycle, OpenNewAndCloseEachSetTheWholeDocument)
{
    doc.createNew();
    doc.addKey("stale");
    doc.takeOver("stale", {"alt", "", "1", "0", "0"});

    doc.open(path);
    EXPECT_EQ(doc.keys.items(), (Texts{"a", "b"}));
    EXPECT_EQ(doc.ValueList.value("stale"), "");
    EXPECT_EQ(doc.HtmlList.count(), 0);
    EXPECT_EQ(info(), (Texts{"shop", "web", "de", "1.2.3", "d"}));
    EXPECT_EQ(doc.packFileName, "de.xml");
    EXPECT_EQ(doc.xmlFileName(), path);
    EXPECT_TRUE(doc.hasRootElement());
    EXPECT_FALSE(changed());

    doc.createNew();
    EXPECT_TRUE(doc.keys.empty());
    EXPECT_EQ(doc.ValueList.count() + doc.CommentList.count(), 0);
    EXPECT_EQ(info(), (Texts{"Unnamed", "Package", "Lang", "1.0.0", "2026-12-10 08:30"}));
    EXPECT_EQ(doc.packVersion, "1.0.0");
    EXPECT_EQ(doc.packFileName, "");
    EXPECT_EQ(doc.xmlFileName(), "");
    EXPECT_TRUE(doc.hasRootElement());
    EXPECT_TRUE(changed());
    EXPECT_EQ(doc.proposedFileName("po"), "Unnamed_Package_Lang.po");

    doc.open(path);
    doc.close();
    EXPECT_TRUE(doc.keys.empty());
    EXPECT_EQ(doc.ValueList.count(), 0);
    EXPECT_EQ(info(), (Texts{"", "", "", "", ""}));
    EXPECT_EQ(doc.packFileName, "");
    EXPECT_EQ(doc.xmlFileName(), "");
    EXPECT_TRUE(doc.hasTree());
    EXPECT_FALSE(doc.hasRootElement());
    EXPECT_FALSE(changed());
}

TEST_F(PackLifecycle, EveryChangeMarksTheDocumentAndAWriteMarksItSaved)
{
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"take over",
         [this] {
             doc.takeOver("a", {"neu", "", "0", "0", "0"});
         }},
        {"add", [this] { EXPECT_EQ(doc.addKey("c"), 2); }},
        {"rename", [this] { EXPECT_EQ(doc.renameKey(0, "a", "z", "eins!"), 2); }},
        {"remove", [this] { EXPECT_EQ(doc.removeKey(0, "b"), 0); }},
        {"add several",
         [this] {
             doc.addKeys({"y", "a", "Y", "x"});
         }},
        {"remove several",
         [this] {
             doc.removeKeys({"Y", "X"});
         }},
    };
    for (const auto& [name, change] : changes) {
        doc.open(path);
        change();
        EXPECT_TRUE(changed()) << name;
        doc.infoBlock[rowName] = "edited";
        EXPECT_EQ(doc.write(path), WriteOutcome::Written) << name;
        EXPECT_FALSE(changed()) << name;
        // The file holds the info block: it is the info values now.
        EXPECT_EQ(doc.packName, "edited") << name;
        EXPECT_FALSE(doc.infoBlockEdited()) << name;
    }
    doc.open(path);
    EXPECT_EQ(doc.keys.items(), (Texts{"a", "c", "z"}));
    EXPECT_EQ(doc.record("z"), (KeyRecord{"eins!", "", "0", "0", "0"}));
    EXPECT_THROW(doc.takeOver("a=b", {}), std::runtime_error);
    EXPECT_FALSE(changed());
}

} // namespace
