#include "FileDialogSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogSettingsTest, FilterPairsBecomeQtNameFilters)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"Languagepacks (*.xml)|*.xml", {"Languagepacks (*.xml)"}},
        {"XML-Languagepack (*.xml)|*.xml", {"XML-Languagepack (*.xml)"}},
        {"Text|*.txt", {"Text (*.txt)"}},
        {"PO (*.po)|*.po|Alle Dateien (*.*)|*.*", {"PO (*.po)", "Alle Dateien (*.*)"}},
        {"Bilder|*.png;*.jpg", {"Bilder (*.png *.jpg)"}},
        {"PHP-Dateien (*.php, *.phps, *.inc)|*.php;*.phps;*.inc", {"PHP-Dateien (*.php *.phps *.inc)"}},
        {"Alt (*.a)|*.b", {"Alt (*.a) (*.b)"}},
        {"", {}},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(qtNameFilters(filter), expected) << filter;
}

TEST(FileDialogSettingsTest, TypedNameWithoutExtensionGetsTheDefaultExtension)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/tmp/pack", "xml", "/tmp/pack.xml"},   {"/tmp/pack.xml", "xml", "/tmp/pack.xml"},
        {"/tmp/pack.po", "xml", "/tmp/pack.po"}, {"/tmp/my.dir/pack", "xml", "/tmp/my.dir/pack.xml"},
        {"/tmp/pack", "", "/tmp/pack"},          {"pack", "po", "pack.po"},
    };
    for (const auto& [path, extension, expected] : cases)
        EXPECT_EQ(withDefaultExtension(path, extension), expected) << path;
}

} // namespace
