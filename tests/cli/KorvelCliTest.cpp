#include "LanguagePack.h"
#include "Process.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

const std::string cli = KORVEL_CLI;
const std::string examples = KORVEL_EXAMPLES;

ProcessResult korvelCli(const std::string& arguments, bool withStderr = false)
{
    return runCommand(shellQuote(cli) + " " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null"));
}

TEST(KorvelCli, DumpPrintsThePackAsJsonInKeyListOrder)
{
    const ProcessResult r = korvelCli("dump " + shellQuote(examples + "/shop_frontend_de.xml"));
    ASSERT_EQ(r.exitCode, 0);
    const auto json = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(json["info"]["project"], "shop");
    EXPECT_EQ(json["info"]["lang"], "de");
    std::vector<std::string> infoOrder;
    for (const auto& [name, value] : json["info"].items())
        infoOrder.push_back(name);
    EXPECT_EQ(infoOrder, (std::vector<std::string>{"project", "name", "lang", "version", "date"}));
    const auto& keys = json["keys"];
    ASSERT_GE(keys.size(), 5u);
    for (std::size_t i = 1; i < keys.size(); ++i)
        EXPECT_LE(keys[i - 1]["id"].get<std::string>(), keys[i]["id"].get<std::string>());
    const auto address =
        std::find_if(keys.begin(), keys.end(), [](auto& k) { return k["id"] == "checkout.address"; });
    ASSERT_NE(address, keys.end());
    EXPECT_EQ((*address)["value"], "Lieferadresse:\r\nStraße und Hausnummer\r\nPostleitzahl und Ort");
    EXPECT_EQ((*address)["encodeHTML"], "1");
    EXPECT_EQ((*address)["unixNewline"], "1");
    std::vector<std::string> keyOrder;
    for (const auto& [name, value] : address->items())
        keyOrder.push_back(name);
    EXPECT_EQ(keyOrder, (std::vector<std::string>{"id", "value", "comment", "encodeHTML",
                                                  "preserveLinebreaks", "unixNewline"}));
}

TEST(KorvelCli, AbsentTableEntriesDumpAsEmptyStrings)
{
    TempDir dir;
    const std::string pack =
        dir.write("p.xml", "<languagepack><content><key id=\"k\"><value/></key></content></languagepack>");
    const auto json = nlohmann::json::parse(korvelCli("dump " + shellQuote(pack)).out);
    EXPECT_EQ(json["keys"][0], nlohmann::json({{"id", "k"},
                                               {"value", ""},
                                               {"comment", ""},
                                               {"encodeHTML", ""},
                                               {"preserveLinebreaks", ""},
                                               {"unixNewline", ""}}));
    EXPECT_EQ(json["info"]["version"], "");
}

TEST(KorvelCli, ResaveKeepsEverythingButTheTimeStamp)
{
    TempDir dir;
    for (const char* example : {"shop_frontend_de.xml", "shop_frontend_en.xml", "newsletter_mail_fr.xml"}) {
        const std::string in = examples + "/" + example;
        const std::string out = dir.path(example);
        ASSERT_EQ(korvelCli("resave " + shellQuote(in) + " " + shellQuote(out)).exitCode, 0) << example;
        auto before = nlohmann::json::parse(korvelCli("dump " + shellQuote(in)).out);
        auto after = nlohmann::json::parse(korvelCli("dump " + shellQuote(out)).out);
        EXPECT_EQ(after["info"]["date"].get<std::string>().size(), 16u);
        EXPECT_EQ(after["info"]["version"], before["info"]["version"]);
        before["info"].erase("date");
        after["info"].erase("date");
        EXPECT_EQ(after, before) << example;
    }
}

TEST(KorvelCli, FailuresPrintOneLineNamingTheFileAndExitOne)
{
    TempDir dir;
    const std::string broken = dir.write("broken.xml", "<languagepack><content>");
    for (const std::string& arguments :
         {"dump " + shellQuote(broken), "dump " + shellQuote(dir.path("missing.xml")),
          "resave " + shellQuote(broken) + " " + shellQuote(dir.path("out.xml")),
          "resave " + shellQuote(examples + "/shop_frontend_en.xml") + " " +
              shellQuote(dir.path("no/dir/out.xml"))}) {
        const ProcessResult r = korvelCli(arguments, true);
        EXPECT_EQ(r.exitCode, 1) << arguments;
        EXPECT_EQ(r.out.rfind("korvel-cli: ", 0), 0u) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.xml")));
}

TEST(KorvelCli, WrongUsageExitsTwoWithAUsageText)
{
    for (const char* arguments : {"", "dump", "frobnicate x", "resave onlyone"}) {
        const ProcessResult r = korvelCli(arguments, true);
        EXPECT_EQ(r.exitCode, 2) << arguments;
        EXPECT_FALSE(r.out.empty()) << arguments;
    }
}

} // namespace
