#include "LanguagePack.h"
#include "Process.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <sstream>

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

// The version the about box shows ("Version 1.3"), on the first line, as gettext's tools do.
TEST(KorvelCli, VersionPrintsTheProgramsVersionAndExitsZero)
{
    const ProcessResult r = korvelCli("--version", true);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "korvel-cli 1.3");
}

std::set<std::string> lines(const std::string& text)
{
    std::set<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.insert(line);
    return result;
}

// The plug-ins beside the program file, in the build tree's bin/Plugins.
const std::set<std::string> suppliedPlugins = {"Varnex\tVarnex.so", "PHP\tphp.so"};

// The name in any letter case; the plug-in gets the path made absolute, as the save dialog
// would confirm it.
TEST(KorvelCli, ExportFindsThePluginWithoutRegardToCaseAndNamesTheAbsolutePath)
{
    TempDir dir;
    EXPECT_EQ(lines(korvelCli("plugins").out), suppliedPlugins);
    const ProcessResult r = runCommand("cd " + shellQuote(dir.root.string()) + " && " + shellQuote(cli) +
                                       " export " + shellQuote(examples + "/shop_frontend_de.xml") +
                                       " --plugin VARNEX --output ./sub/../de.po");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(
        TempDir::read(dir.path("de.po")).find("\"Project-Id-Version: " + dir.path("de.po") + " 1.0\\n\""),
        std::string::npos);
}

TEST(KorvelCli, ExportExitsTwoForAnUnknownNameAndOneWithThePluginsMessage)
{
    TempDir dir;
    const std::string pack = " export " + shellQuote(examples + "/shop_frontend_de.xml");
    const ProcessResult unknown =
        korvelCli(pack + " --plugin Varnex.so --output " + shellQuote(dir.path("x")), true);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.out.find("Vorhanden: "), std::string::npos) << unknown.out;
    EXPECT_NE(unknown.out.find("PHP"), std::string::npos) << unknown.out;
    const ProcessResult failed =
        korvelCli(pack + " --plugin php --output " + shellQuote(dir.path("no/x")), true);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(
        failed.out.rfind("korvel-cli: Datei \"" + dir.path("no/x") + "\" kann nicht erstellt werden.", 0), 0u)
        << failed.out;
}

// A copy of korvel-cli beside the core library and a Plugins folder of test plug-ins: the
// export run the window makes, its outcomes in the command line's words.
TEST(KorvelCli, ExportRunsThePluginAsTheWindowDoesAndReportsItsOutcome)
{
    TempDir dir;
    std::filesystem::copy_file(cli, dir.path("korvel-cli"));
    const std::filesystem::path core = KORVEL_CORE_LIBRARY;
    std::filesystem::create_symlink(core, dir.path(core.filename().string()));
    std::filesystem::create_directory(dir.path("Plugins"));
    for (const char* plugin : {"Recorder.so", "Thrower.so", "Equals.so"})
        std::filesystem::create_symlink(std::string(KORVEL_TEST_PROGRAM_DIR) + "/Plugins/" + plugin,
                                        dir.path("Plugins/") + plugin);
    const std::string out = dir.path("out.rec");
    const std::tuple<std::string, int, std::string, std::string> cases[] = {
        {"recorder", 0, "", "Recorder 8\n"},
        // Listed, but the plug-in list's entry is named "Key": the name finds no file.
        {"Key=Value", 1, "korvel-cli: Oops: Fehler beim Laden des Plugins... :(\n", ""},
        {"thrower", 1, "korvel-cli: Thrower: Export fehlgeschlagen\n", ""},
    };
    for (const auto& [plugin, exitCode, message, written] : cases) {
        std::filesystem::remove(out);
        const ProcessResult r = runCommand(shellQuote(dir.path("korvel-cli")) + " export " +
                                           shellQuote(examples + "/shop_frontend_de.xml") + " --plugin " +
                                           shellQuote(plugin) + " --output " + shellQuote(out) + " 2>&1");
        EXPECT_EQ(r.exitCode, exitCode) << plugin;
        EXPECT_EQ(r.out, message) << plugin;
        EXPECT_EQ(TempDir::read(out), written) << plugin;
    }
}

// Through a link elsewhere, or installed and started through the link in bin/: the plug-ins
// beside the real file, never those in the current directory.
TEST(KorvelCli, StartedThroughALinkItFindsThePluginsBesideTheRealFile)
{
    TempDir dir;
    std::filesystem::create_symlink(cli, dir.path("korvel-cli"));
    std::filesystem::create_directory(dir.path("Plugins"));
    std::filesystem::copy_file(std::filesystem::path(cli).parent_path() / "Plugins/php.so",
                               dir.path("Plugins/Other.so"));
    EXPECT_EQ(lines(runCommand("cd " + shellQuote(dir.root.string()) + " && ./korvel-cli plugins").out),
              suppliedPlugins);

    const std::string prefix = dir.path("prefix");
    ASSERT_EQ(runCommand(shellQuote(CMAKE_COMMAND) + " --install " + shellQuote(KORVEL_BUILD_DIR) +
                         " --prefix " + shellQuote(prefix) + " >/dev/null")
                  .exitCode,
              0);
    const std::string installed =
        "cd " + shellQuote(dir.root.string()) + " && " + shellQuote(prefix + "/bin/korvel-cli");
    EXPECT_EQ(lines(runCommand(installed + " plugins").out), suppliedPlugins);
    EXPECT_EQ(runCommand(installed + " export " + shellQuote(examples + "/shop_frontend_de.xml") +
                         " --plugin varnex --output de.po")
                  .exitCode,
              0);
    EXPECT_TRUE(TempDir::read(dir.path("de.po")).starts_with("msgid \"\"\nmsgstr \"\"\n"));
}

TEST(KorvelCli, CheckPrintsBothReportsInTheWindowsWordsAndExitsOneWhenEitherFails)
{
    TempDir dir;
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"a", "b", "Key", "key"}, 0, "Doppel-Check bestanden\nSyntax-Check bestanden\n"},
        {{"b", "a", "b", "b", "key ", "key"},
         1,
         "Doppel-Check nicht bestanden: b, b\nSyntax-Check bestanden\n"},
        {{"ok", "größe", "it&apos;s", "ok", "&quot;q&quot;", "a\tb"},
         1,
         "Doppel-Check nicht bestanden: ok\nSyntax-Check nicht bestanden: \"q\", größe, it's\n"},
    };
    for (const auto& [keys, exitCode, out] : cases) {
        std::string xml = "<languagepack><content>";
        for (const std::string& id : keys)
            xml += "<key id=\"" + id + "\"><value>x</value></key>";
        const ProcessResult r =
            korvelCli("check " + shellQuote(dir.write("p.xml", xml + "</content></languagepack>")));
        EXPECT_EQ(r.exitCode, exitCode) << out;
        EXPECT_EQ(r.out, out);
    }
}

TEST(KorvelCli, EveryErrorNamesItsFileOnOneLine)
{
    TempDir dir;
    const std::string child =
        dir.write("child.xml",
                  "<languagepack><content><key id=\"k\"><value>a<b/></value></key></content></languagepack>");
    const std::string missing = dir.path("missing.xml");
    for (const auto& [arguments, file] :
         {std::pair{"check " + shellQuote(child), child},
          {"dump " + shellQuote(child), child},
          {"resave " + shellQuote(child) + " " + shellQuote(dir.path("out.xml")), child},
          {"check " + shellQuote(missing), missing}}) {
        // Only what goes to stderr.
        const ProcessResult r = runCommand(shellQuote(cli) + " " + arguments + " 2>&1 >/dev/null");
        EXPECT_EQ(r.exitCode, 1) << arguments;
        EXPECT_EQ(r.out.rfind("korvel-cli: ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("\"" + file + "\""), std::string::npos) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
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
         "korvel-cli: Datei \"" + equals +
             "\": Schlüssel \"a=b\": Ein Schlüssel darf kein \"=\" enthalten.\n"},
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

namespace {

// A pack holding "ś" (UTF-8 C5 9B) in its doubled form, which Windows-1252 cannot hold.
TEST(KorvelCli, APackWhoseCharactersWereReplacedIsNeverWrittenAndOtherwiseWarnedOf)
{
    TempDir dir;
    const std::string pack = dir.write(
        "pl.xml", "<languagepack project=\"p\"><content><key id=\"gruss\"><value>Cze\xC3\x85\xE2\x80\xBA"
                  "\xC4\x87</value></key><key id=\"ok\"><value>gut</value></key></content></languagepack>");
    const std::string note =
        "Datei \"" + pack +
        "\": Beim Lesen wurden Zeichen ersetzt, die es in Windows-1252 nicht gibt: gruss.";
    const std::string copy = dir.path("copy.xml");
    const std::pair<std::string, int> refused[] = {
        {"resave " + shellQuote(pack) + " " + shellQuote(copy), 1},
    };
    for (const auto& [arguments, code] : refused) {
        const ProcessResult r = runCommand(shellQuote(cli) + " " + arguments + " 2>&1 >/dev/null");
        EXPECT_EQ(r.exitCode, code) << arguments;
        EXPECT_EQ(r.out, "korvel-cli: " + note +
                             " Der Languagepack wird nicht geschrieben, sonst gingen sie verloren.\n")
            << arguments;
        EXPECT_FALSE(std::filesystem::exists(copy));
    }
    const std::string warned[] = {"dump " + shellQuote(pack), "export " + shellQuote(pack) +
                                                                  " --plugin php --output " +
                                                                  shellQuote(dir.path("pl.php"))};
    for (const std::string& arguments : warned) {
        const ProcessResult r = runCommand(shellQuote(cli) + " " + arguments + " 2>&1 >/dev/null");
        EXPECT_EQ(r.exitCode, 0) << arguments;
        EXPECT_EQ(r.out, "korvel-cli: Warnung: " + note + "\n") << arguments;
    }
    EXPECT_TRUE(std::filesystem::exists(dir.path("pl.php")));
}

} // namespace
