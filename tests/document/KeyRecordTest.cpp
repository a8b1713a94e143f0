#include "LanguagePack.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyRecord, SetRecordWritesAllFiveTablesAndRecordReadsThemBack)
{
    LanguagePack pack;
    const KeyRecord stored{"Text\r\nzwei", "Kommentar", "1", "0", "true"};
    pack.setRecord("Greeting", stored);
    EXPECT_EQ(pack.ValueList.value("greeting"), "Text\r\nzwei");
    EXPECT_EQ(pack.CommentList.value("greeting"), "Kommentar");
    EXPECT_EQ(pack.HtmlList.value("greeting"), "1");
    EXPECT_EQ(pack.BreakList.value("greeting"), "0");
    EXPECT_EQ(pack.UnixList.value("greeting"), "true");
    // Names compare without regard to case, as in every table.
    EXPECT_EQ(pack.record("GREETING"), stored);
    EXPECT_EQ(pack.record("other"), KeyRecord{});
}

// An empty part removes the key's entry from that table and leaves the other tables alone.
TEST(KeyRecord, AnEmptyPartRemovesThatTablesEntryOnly)
{
    const struct
    {
        KeyRecord record;
        std::array<int, 5> counts; // ValueList, CommentList, HtmlList, BreakList, UnixList
    } cases[] = {
        {{"", "c", "1", "1", "1"}, {1, 2, 2, 2, 2}},
        {{"t", "", "1", "1", "1"}, {2, 1, 2, 2, 2}},
        {{"t", "c", "", "0", "0"}, {2, 2, 1, 2, 2}},
        {{"", "", "", "", ""}, {1, 1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        LanguagePack pack;
        pack.setRecord("other", {"t", "c", "1", "1", "1"});
        pack.setRecord("k", {"old", "old", "0", "0", "0"});
        pack.setRecord("k", c.record);
        const std::array<int, 5> counts = {pack.ValueList.count(), pack.CommentList.count(),
                                           pack.HtmlList.count(), pack.BreakList.count(),
                                           pack.UnixList.count()};
        EXPECT_EQ(counts, c.counts) << c.record.text << "|" << c.record.comment << "|" << c.record.htmlFlag;
        EXPECT_EQ(pack.record("k"), c.record);
    }
}

TEST(KeyRecord, OnlyTheExactTextOneIsOn)
{
    EXPECT_TRUE(isFlagOn("1"));
    for (const char* off : {"0", "", " 1", "true", "11"})
        EXPECT_FALSE(isFlagOn(off)) << off;
}

} // namespace
