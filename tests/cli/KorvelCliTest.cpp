#include "LanguagePack.h"
#include "Process.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

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
    const auto address = std::find_if(keys.begin(), keys.end(), [](auto& k) { return k["id"] == "checkout.address"; });
    ASSERT_NE(address, keys.end());
    EXPECT_EQ((*address)["value"], "Lieferadresse:\r\nStraße und Hausnummer\r\nPostleitzahl und Ort");
    EXPECT_EQ((*address)["encodeHTML"], "1");
    EXPECT_EQ((*address)["unixNewline"], "1");
    std::vector<std::string> keyOrder;
    for (const auto& [name, value] : address->items())
        keyOrder.push_back(name);
    EXPECT_EQ(keyOrder, (std::vector<std::string>{"id", "value", "comment", "encodeHTML", "preserveLinebreaks",
                                                  "unixNewline"}));
}

TEST(KorvelCli, AbsentTableEntriesDumpAsEmptyStrings)
{
    TempDir dir;
    const std::string pack = dir.write("p.xml", "<languagepack><content><key id=\"k\"><value/></key></content></languagepack>");
    const auto json = nlohmann::json::parse(korvelCli("dump " + shellQuote(pack)).out);
    EXPECT_EQ(json["keys"][0], nlohmann::json({{"id", "k"}, {"value", ""}, {"comment", ""}, {"encodeHTML", ""},
                                               {"preserveLinebreaks", ""}, {"unixNewline", ""}}));
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
          "resave " + shellQuote(examples + "/shop_frontend_en.xml") + " " + shellQuote(dir.path("no/dir/out.xml"))}) {
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

TEST(KorvelCli, RefusalsSpeakGermanAndNameTheirCause)
{
    TempDir dir;
    ::mkfifo(dir.path("pipe.xml").c_str(), 0600);
    const std::string equals =
        dir.write("equals.xml",
                  "<languagepack><content><key id=\"a=b\"><value>x</value></key></content></languagepack>");
    const std::pair<std::string, std::string> cases[] = {
        {"dump " + shellQuote(dir.path("missing.xml")),
         "korvel-cli: Datei \"" + dir.path("missing.xml") +
             "\" kann nicht gelesen werden. Datei oder Ordner nicht gefunden.\n"},
        {"dump " + shellQuote(dir.path("pipe.xml")),
         "korvel-cli: Datei \"" + dir.path("pipe.xml") +
             "\" kann nicht gelesen werden. Das ist keine gewöhnliche Datei.\n"},
        {"dump " + shellQuote(equals),
         "korvel-cli: Schlüssel \"a=b\": Ein Schlüsselname darf kein \"=\" enthalten.\n"},
        {"resave " + shellQuote(examples + "/shop_frontend_en.xml") + " " +
             shellQuote(dir.path("no/out.xml")),
         "korvel-cli: Datei \"" + dir.path("no/out.xml") +
             "\" kann nicht gespeichert werden. Datei oder Ordner nicht gefunden.\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const ProcessResult r = korvelCli(arguments, true);
        EXPECT_EQ(r.exitCode, 1) << arguments;
        EXPECT_EQ(r.out, message);
    }
}

TEST(KorvelCli, ResaveKeepsWhitespaceOnlyTexts)
{
    TempDir dir;
    const std::string key = "<key id=\"k\"><value>&#32;</value><comment><![CDATA[\n]]></comment></key>";
    const std::string in = dir.write("in.xml", "<languagepack><content>" + key + "</content></languagepack>");
    ASSERT_EQ(korvelCli("resave " + shellQuote(in) + " " + shellQuote(dir.path("out.xml"))).exitCode, 0);
    const auto json = nlohmann::json::parse(korvelCli("dump " + shellQuote(dir.path("out.xml"))).out);
    EXPECT_EQ(json["keys"][0]["value"], " ");
    EXPECT_EQ(json["keys"][0]["comment"], "\r\n");
}

} // namespace
