// Korvel started with arguments: a pack to open at once, the help and the version, and wrong
// uses, which end the program with exit code 2 before any window appears.
#include "LifecycleFixture.h"

#include "Process.h"
#include "ProgramArguments.h"

namespace {

using Kind = ProgramArguments::Kind;
using Shown = std::vector<std::string>;

TEST(StartArguments, EachUseIsTakenOrRefused)
{
    const std::string usage = "Aufruf: Korvel [DATEI] (mehr mit: Korvel --help)";
    const struct
    {
        std::vector<std::string> arguments;
        Kind kind;
        std::optional<std::string> file;
        std::string wrong;
    } cases[] = {
        {{}, Kind::Start, std::nullopt, ""},
        {{"de.xml"}, Kind::Start, "de.xml", ""},
        {{"--", "-odd.xml"}, Kind::Start, "-odd.xml", ""},
        {{"-"}, Kind::Start, "-", ""},
        {{"--help"}, Kind::Help, std::nullopt, ""},
        {{"de.xml", "-h"}, Kind::Help, std::nullopt, ""},
        {{"--version"}, Kind::Version, std::nullopt, ""},
        {{"de.xml", "en.xml"}, Kind::Wrong, std::nullopt, "Korvel: zu viele Argumente. " + usage},
        {{"--open"}, Kind::Wrong, std::nullopt, "Korvel: unbekannte Option \"--open\". " + usage},
        {{"-x", "de.xml"}, Kind::Wrong, std::nullopt, "Korvel: unbekannte Option \"-x\". " + usage},
    };
    for (const auto& c : cases) {
        const ProgramArguments parsed = ProgramArguments::parse(c.arguments);
        const std::string name = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(parsed.kind, c.kind) << name;
        EXPECT_EQ(parsed.file, c.file) << name;
        if (c.kind == Kind::Wrong) {
            EXPECT_EQ(parsed.text, c.wrong) << name;
        }
    }
    EXPECT_EQ(ProgramArguments::parse({"-V"}).text, std::string("Korvel ") + KORVEL_VERSION + "\n");
}

// The real program: wrong uses end it before a window, the help and the version need no
// display at all.
TEST(StartArguments, TheProgramExitsWithTwoOnWrongUseAndPrintsHelpWithoutADisplay)
{
    const std::string korvel = shellQuote(std::string(KORVEL_BIN_DIR) + "/Korvel");
    const ProcessResult tooMany =
        runCommand("{ echo; QT_QPA_PLATFORM=offscreen " + korvel + " a.xml b.xml; } 2>&1");
    EXPECT_EQ(tooMany.exitCode, 2);
    // Qt may add notes of its own; Korvel's is one line.
    EXPECT_NE(
        tooMany.out.find("\nKorvel: zu viele Argumente. Aufruf: Korvel [DATEI] (mehr mit: Korvel --help)\n"),
        std::string::npos)
        << tooMany.out;
    EXPECT_EQ(runCommand("QT_QPA_PLATFORM=offscreen " + korvel + " --open 2>/dev/null").exitCode, 2);
    for (const char* option : {"--help", "--version"}) {
        const ProcessResult r = runCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + korvel +
                                           " " + option + " 2>/dev/null");
        EXPECT_EQ(r.exitCode, 0) << option;
        EXPECT_NE(r.out.find("Korvel"), std::string::npos) << option;
    }
}

using StartWithFile = LifecycleFixture;

TEST_F(StartWithFile, APackGivenAtStartOpensAsLanguagepackLadenOpensIt)
{
    const std::string path = example("shop_frontend_de.xml");
    window->openAtStart(path);
    EXPECT_EQ(dialogs.takeShown(), Shown{});
    EXPECT_EQ(status(), "Languagepack geladen: shop_frontend_de.xml");
    EXPECT_EQ(window->lpKey->text(), "cart.empty");
    EXPECT_EQ(window->lpValue->toPlainText(), "Ihr Warenkorb ist leer.");
    EXPECT_EQ(actual(statesWith(true, true)), statesWith(true, true));
    EXPECT_FALSE(window->pack.isModified);
    // The open dialog offers that file next.
    EXPECT_EQ(window->openDialog.fileName, path);
}

TEST_F(StartWithFile, AnUnreadablePackShowsTheErrorAndTheWindowGoesOnWithoutOne)
{
    window->openAtStart(folder.path("missing.xml"));
    const Shown shown = dialogs.takeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("error: Datei \"" + folder.path("missing.xml") + "\"", 0), 0u) << shown[0];
    EXPECT_FALSE(window->pack.hasRootElement());
    EXPECT_EQ(actual(statesWith(false, false)), statesWith(false, false));
    open(example("shop_frontend_de.xml"));
    EXPECT_EQ(status(), "Languagepack geladen: shop_frontend_de.xml");
}

} // namespace
