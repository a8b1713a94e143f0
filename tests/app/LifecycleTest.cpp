#include "LifecycleFixture.h"

#include <QLineEdit>
#include <QTest>

#include <functional>

#include <sys/stat.h>

namespace {

using Answer = UserDialogs::Answer;
using Shown = std::vector<std::string>;

const char* const question = "warning: Languagepack nicht gespeichert! Jetzt speichern?";

class LifecycleTest : public LifecycleFixture
{
protected:
    // An opened example pack with one change taken over.
    std::string openAndChange()
    {
        const std::string path = example("shop_frontend_de.xml");
        open(path);
        typeInto(window->lpValue, "!");
        window->submitAction->trigger();
        dialogs.takeShown();
        return path;
    }
};

TEST_F(LifecycleTest, OpenFillsTheDocumentAndShowsTheFirstKey)
{
    const std::string path = example("shop_frontend_de.xml");
    open(path);

    EXPECT_EQ(dialogs.takeShown(), Shown{"open: Languagepack laden"});
    EXPECT_EQ(dialogs.fileDialogs.back().filter, "Languagepacks (*.xml)|*.xml");
    EXPECT_EQ(dialogs.fileDialogs.back().defaultExt, "xml");
    EXPECT_EQ(window->pack.keys.count(), 8);
    EXPECT_EQ(window->lpKey->itemIndex(), 0);
    EXPECT_EQ(window->lpKey->text(), "cart.empty");
    EXPECT_EQ(window->lpValue->toPlainText(), "Ihr Warenkorb ist leer.");
    EXPECT_EQ(status(), "Languagepack geladen: shop_frontend_de.xml");
    EXPECT_EQ(window->pack.packFileName, "shop_frontend_de.xml");
    EXPECT_EQ(window->pack.xmlFileName(), path);
    EXPECT_EQ(infoCell(rowProject), "shop");
    EXPECT_EQ(infoCell(rowVersion), "1.4.2");
    EXPECT_TRUE(window->pack.isSaved);
    EXPECT_FALSE(window->pack.isModified);
    // Showing the first key filled the translation memo, which enables saving.
    EXPECT_EQ(actual(statesWith(true, true)), statesWith(true, true));
}

TEST_F(LifecycleTest, CancelledOpenChangesNothing)
{
    dialogs.fileAnswers.push_back(std::nullopt);
    window->loadAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{"open: Languagepack laden"});
    EXPECT_EQ(actual(statesWith(false, false)), statesWith(false, false));
    EXPECT_EQ(status(), "");
}

TEST_F(LifecycleTest, OpenAsksAboutUnsavedChangesBeforeItsDialog)
{
    openAndChange();
    dialogs.warningAnswers = {Answer::Abbrechen};
    window->loadAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{question});
    EXPECT_TRUE(window->pack.isModified);
    EXPECT_EQ(window->pack.ValueList.value("cart.empty"), "Ihr Warenkorb ist leer.!");

    dialogs.warningAnswers = {Answer::Nein};
    open(example("newsletter_mail_fr.xml"));
    EXPECT_EQ(dialogs.takeShown(), Shown({question, "open: Languagepack laden"}));
    EXPECT_EQ(window->pack.packFileName, "newsletter_mail_fr.xml");
    EXPECT_FALSE(window->pack.isModified);
}

TEST_F(LifecycleTest, BrokenFileIsReportedAndLeavesTheProgramUsable)
{
    window->setStatusText("vorher");
    window->pack.infoBlock[rowName] = "alt";
    const std::string broken = folder.write("broken.xml", "<languagepack><content><key id=\"a\">");
    open(broken);

    const Shown shown = dialogs.takeShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].rfind("error: ", 0), 0u) << shown[1];
    EXPECT_EQ(window->pack.keys.count(), 0);
    EXPECT_EQ(window->lpKey->listView()->model()->rowCount(), 0);
    EXPECT_EQ(window->lpValue->toPlainText(), "");
    EXPECT_FALSE(window->pack.hasTree());
    EXPECT_EQ(window->pack.xmlFileName(), broken);
    EXPECT_EQ(infoCell(rowName), "alt");
    EXPECT_EQ(window->pack.packFileName, "");
    EXPECT_EQ(status(), "vorher");
    EXPECT_EQ(actual(statesWith(false, false)), statesWith(false, false));
    EXPECT_TRUE(window->pack.isSaved);

    window->saveActionExecute();
    EXPECT_EQ(dialogs.takeShown(),
              Shown{"info: Ooops...\nKein Languagepack geladen\nBitte erst neues Languagpack anlegen"});

    // The save took the (empty) key over, so new asks first.
    dialogs.warningAnswers = {Answer::Nein};
    window->newFile->trigger();
    EXPECT_EQ(status(), "Neues Languagepack erstellt");
    EXPECT_TRUE(window->pack.hasTree());
}

TEST_F(LifecycleTest, TextThatIsNoSingleTextEndsTheOpenAtThatKey)
{
    open(example("shop_frontend_de.xml"));
    dialogs.takeShown();
    window->setStatusText("vorher");
    const std::string path =
        folder.write("odd.xml", "<languagepack project=\"p\" name=\"n\"><content>"
                                "<key id=\"a\"><value>eins</value></key>"
                                "<key id=\"b\"><value>zwei<!-- x --></value></key>"
                                "<key id=\"c\"><value>drei</value></key></content></languagepack>");
    open(path);
    const Shown shown = dialogs.takeShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].rfind("error: ", 0), 0u);
    EXPECT_EQ(window->pack.keys.count(), 1);
    EXPECT_EQ(window->lpKey->listView()->model()->rowCount(), 1);
    EXPECT_EQ(window->pack.packFileName, "odd.xml");
    EXPECT_EQ(infoCell(rowProject), "p");
    EXPECT_EQ(status(), "vorher");
}

TEST_F(LifecycleTest, NewStartsAChangedPackOnThePageLanguagepack)
{
    window->newFile->trigger();
    const std::string expected[] = {"Unnamed", "Package", "Lang", "1.0.0", "2026-12-07 09:05"};
    for (int row = 0; row < infoRowCount; ++row)
        EXPECT_EQ(infoCell(row), expected[row]);
    EXPECT_EQ(window->pack.packVersion, "1.0.0");
    EXPECT_EQ(window->pageControl->currentWidget(), window->TabSheet2);
    EXPECT_EQ(status(), "Neues Languagepack erstellt");
    EXPECT_EQ(actual(statesWith(true, true)), statesWith(true, true));
    EXPECT_FALSE(window->pack.isSaved);
    EXPECT_TRUE(window->pack.isModified);
    EXPECT_EQ(window->pack.xmlFileName(), "");
    EXPECT_TRUE(dialogs.takeShown().empty());
}

TEST_F(LifecycleTest, SaveOfANewPackProposesUnnamedPackageLangEachTime)
{
    window->newFile->trigger();
    const std::string target = folder.path("Unnamed_Package_Lang.xml");
    dialogs.fileAnswers = {target, std::nullopt};
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{"save: Speichern als..."});
    EXPECT_EQ(dialogs.fileDialogs.back().fileName, "Unnamed_Package_Lang.xml");
    EXPECT_EQ(dialogs.fileDialogs.back().filter, "XML-Languagepack (*.xml)|*.xml");
    EXPECT_EQ(status(), "Gespeichert: Unnamed_Package_Lang.xml");
    EXPECT_FALSE(window->saveAction->isEnabled());
    EXPECT_TRUE(window->pack.isSaved);
    EXPECT_EQ(infoCell(rowVersion), "1.0.0");

    window->saveActionExecute();
    EXPECT_EQ(dialogs.takeShown(), Shown{"save: Speichern als..."});
}

TEST_F(LifecycleTest, SaveAsProposesTheInfoBlocksNamesAndKeepsTheVersion)
{
    window->newFile->trigger();
    QAbstractItemModel* info = window->lpInfoblock->model();
    info->setData(info->index(rowProject, 1), "shop");
    info->setData(info->index(rowLang, 1), QString::fromUtf8("dä"));
    dialogs.fileAnswers = {std::nullopt};
    window->saveasAction->trigger();
    EXPECT_EQ(dialogs.fileDialogs.back().fileName, "shop_Package_dä.xml");
    EXPECT_EQ(window->pack.packProject, "shop");
    EXPECT_EQ(window->pack.packVersion, "1.0.0");
}

TEST_F(LifecycleTest, SaveAfterSaveAsWritesTheOpenedFileAgain)
{
    const std::string opened = openAndChange();
    const std::string other = folder.path("other.xml");
    dialogs.fileAnswers = {other};
    window->saveasAction->trigger();
    EXPECT_EQ(dialogs.fileDialogs.back().fileName, opened);
    EXPECT_EQ(status(), "Gespeichert: other.xml");
    EXPECT_EQ(infoCell(rowVersion), "1.4.2");
    EXPECT_FALSE(window->saveAction->isEnabled());

    typeInto(window->lpValue, "?");
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{"save: Speichern als..."});
    EXPECT_EQ(status(), "Gespeichert: shop_frontend_de.xml");
    EXPECT_EQ(infoCell(rowVersion), "1.4.3");
    EXPECT_NE(TempDir::read(opened).find("version=\"1.4.3\""), std::string::npos);
    EXPECT_NE(TempDir::read(other).find("version=\"1.4.2\""), std::string::npos);
}

TEST_F(LifecycleTest, SaveAsOverAnExistingFileAsksFirst)
{
    openAndChange();
    const std::string existing = folder.write("existing.xml", "alt");
    const std::string confirm =
        "confirm: Diese Datei existiert bereits. Soll die Datei überschrieben werden?";

    dialogs.fileAnswers = {existing};
    dialogs.confirmationAnswers = {false};
    window->saveasAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown({"save: Speichern als...", confirm}));
    EXPECT_EQ(TempDir::read(existing), "alt");
    EXPECT_FALSE(window->pack.isSaved);

    dialogs.fileAnswers = {existing};
    dialogs.confirmationAnswers = {true};
    window->saveasAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown({"save: Speichern als...", confirm}));
    EXPECT_NE(TempDir::read(existing).find("<languagepack"), std::string::npos);
    EXPECT_TRUE(window->pack.isSaved);
}

TEST_F(LifecycleTest, CloseAsksAboutChangesAndEmptiesEverything)
{
    openAndChange();
    dialogs.warningAnswers = {Answer::Abbrechen};
    window->closeAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{question});
    EXPECT_EQ(window->pack.keys.count(), 8);

    dialogs.warningAnswers = {Answer::Nein};
    window->closeAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{question});
    EXPECT_EQ(window->pack.keys.count(), 0);
    EXPECT_EQ(window->pack.ValueList.count(), 0);
    EXPECT_EQ(window->lpValue->toPlainText(), "");
    EXPECT_EQ(window->lpComment->toPlainText(), "");
    EXPECT_EQ(status(), "Kein Languagepack geladen");
    for (int row = 0; row < infoRowCount; ++row)
        EXPECT_EQ(infoCell(row), "");
    EXPECT_EQ(actual(statesWith(false, false)), statesWith(false, false));
    EXPECT_TRUE(window->pack.hasTree());
    EXPECT_EQ(window->pack.xmlFileName(), "");
    EXPECT_TRUE(window->pack.isSaved);
}

TEST_F(LifecycleTest, NothingOfAClosedPackShowsUpInANewOne)
{
    open(example("shop_frontend_de.xml"));
    window->closeAction->trigger();
    window->newFile->trigger();
    typeText(window->lpKey->lineEdit(), "checkout.address");
    EXPECT_EQ(window->lpValue->toPlainText(), "");
    EXPECT_EQ(window->lpComment->toPlainText(), "");
    EXPECT_FALSE(window->htmlCheckbox->isChecked());
    EXPECT_FALSE(window->unixCheckBox->isChecked());
    EXPECT_EQ(status(), "Übersetzung geladen ()");
    window->submitActionExecute();
    EXPECT_EQ(status(), "Änderungen übernommen (nicht gespeichert: )");
}

TEST_F(LifecycleTest, AYesWhoseSaveDoesNotSucceedStopsTheOperation)
{
    struct Case
    {
        const char* name;
        QAction* TForm1::*action;
    };
    const Case cases[] = {
        {"new", &TForm1::newFile}, {"close", &TForm1::closeAction}, {"exit", &TForm1::exitAction}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->pack.close();
        window->newFile->trigger();
        window->show();
        dialogs.takeShown();
        // Ja, then the save-as dialog of the new pack is cancelled.
        dialogs.warningAnswers = {Answer::Ja};
        dialogs.fileAnswers = {std::nullopt};
        (window.get()->*c.action)->trigger();
        EXPECT_EQ(dialogs.takeShown(), Shown({question, "save: Speichern als..."}));
        EXPECT_TRUE(window->pack.isModified);
        EXPECT_TRUE(window->pack.hasTree());
        EXPECT_EQ(window->pack.packProject, "Unnamed");
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(LifecycleTest, AYesWhoseSaveSucceedsGoesOn)
{
    const std::string path = openAndChange();
    dialogs.warningAnswers = {Answer::Ja};
    window->closeAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown{question});
    EXPECT_EQ(status(), "Kein Languagepack geladen");
    EXPECT_NE(TempDir::read(path).find("leer.!"), std::string::npos);
}

TEST_F(LifecycleTest, ExitAndTheWindowFrameAskAboutUnsavedChanges)
{
    window->show();
    openAndChange();
    dialogs.warningAnswers = {Answer::Abbrechen};
    window->exitAction->trigger();
    EXPECT_TRUE(window->isVisible());

    dialogs.warningAnswers = {Answer::Abbrechen};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dialogs.takeShown(), Shown({question, question}));

    // Exit asks once, then the window closes.
    dialogs.warningAnswers = {Answer::Nein};
    window->exitAction->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs.takeShown(), Shown{question});
}

TEST_F(LifecycleTest, FailedWriteIsReportedAndKeepsTheOldFileAndTheChanges)
{
    const std::string path = openAndChange();
    const std::string before = TempDir::read(path);
    ::chmod(path.c_str(), 0444);
    window->saveAction->trigger();

    const Shown shown = dialogs.takeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("error: ", 0), 0u);
    EXPECT_EQ(TempDir::read(path), before);
    EXPECT_FALSE(window->pack.isSaved);
    EXPECT_TRUE(window->pack.isModified);
    EXPECT_TRUE(window->saveAction->isEnabled());
    EXPECT_EQ(status(), "Änderungen übernommen (nicht gespeichert: shop_frontend_de.xml)");
    // The raised version stays.
    EXPECT_EQ(infoCell(rowVersion), "1.4.3");
}

TEST_F(LifecycleTest, AfterAnOpenThatStoppedAtABadKeyASaveAsksForTheFile)
{
    open(example("shop_frontend_de.xml"));
    const std::string text =
        "<languagepack><content><key id=\"a\"><value>eins</value></key>"
        "<key id=\"b\"><value>zwei<x/></value></key><key id=\"c\"/></content></languagepack>";
    const std::string path = folder.write("partly.xml", text);
    open(path);
    dialogs.takeShown();
    ASSERT_TRUE(window->saveAction->isEnabled());

    dialogs.fileAnswers = {path};
    dialogs.confirmationAnswers = {false};
    window->saveAction->trigger();
    EXPECT_EQ(dialogs.takeShown(),
              Shown({"save: Speichern als...",
                     "confirm: Diese Datei existiert bereits. Soll die Datei überschrieben werden?"}));
    EXPECT_EQ(dialogs.fileDialogs.back().fileName, path);
    EXPECT_EQ(TempDir::read(path), text);

    // Saved elsewhere, the next save still asks: the opened file stays protected.
    dialogs.fileAnswers = {folder.path("copy.xml"), std::nullopt};
    window->saveAction->trigger();
    window->saveActionExecute();
    EXPECT_EQ(dialogs.takeShown(), Shown({"save: Speichern als...", "save: Speichern als..."}));
    EXPECT_NE(TempDir::read(folder.path("copy.xml")).find("eins"), std::string::npos);
    EXPECT_EQ(TempDir::read(path), text);
}

TEST_F(LifecycleTest, EditsNotTakenOverCountAsUnsavedChanges)
{
    using Step = std::pair<const char*, std::function<void()>>;
    const auto editInfo = [this](int row) {
        window->lpInfoblock->model()->setData(window->lpInfoblock->model()->index(row, 1), "neu");
    };
    const Step edits[] = {{"typed text", [this] { typeInto(window->lpValue, "!"); }},
                          {"typed comment", [this] { typeInto(window->lpComment, "!"); }},
                          {"toggled flag", [this] { window->htmlCheckbox->click(); }},
                          {"edited info block", [&] { editInfo(rowName); }}};
    const Step operations[] = {{"close", [this] { window->closeAction->trigger(); }},
                               {"new", [this] { window->newFile->trigger(); }},
                               {"open", [this] { window->loadAction->trigger(); }},
                               {"exit", [this] { window->exitAction->trigger(); }},
                               {"window frame", [this] { window->close(); }}};
    for (const auto& [edit, makeEdit] : edits)
        for (const auto& [operation, run] : operations) {
            SCOPED_TRACE(std::string(edit) + ", " + operation);
            SetUp();
            window->show();
            open(example("shop_frontend_de.xml"));
            makeEdit();
            dialogs.takeShown();
            dialogs.warningAnswers = {Answer::Abbrechen};
            run();
            EXPECT_EQ(dialogs.takeShown(), Shown{question});
            EXPECT_EQ(window->pack.keys.count(), 8);
            EXPECT_TRUE(window->isVisible());
        }

    // "Ja" saves them, and afterwards nothing is left to ask about.
    SetUp();
    const std::string path = example("shop_frontend_de.xml");
    open(path);
    typeInto(window->lpValue, " Noch.");
    editInfo(rowName);
    dialogs.warningAnswers = {Answer::Ja};
    window->closeAction->trigger();
    EXPECT_EQ(status(), "Kein Languagepack geladen");
    EXPECT_NE(TempDir::read(path).find("leer. Noch."), std::string::npos);
    EXPECT_NE(TempDir::read(path).find("name=\"neu\""), std::string::npos);
    open(path);
    editInfo(rowProject);
    window->saveAction->trigger();
    window->closeAction->trigger();
    EXPECT_EQ(dialogs.takeShown(), Shown({"open: Languagepack laden", question, "open: Languagepack laden"}));
}

TEST_F(LifecycleTest, ShortcutsRunTheirActionsWhereverTheFocusIs)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    window->lpValue->setFocus();
    QTest::keyClick(window->lpValue, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(status(), "Neues Languagepack erstellt");

    window->lpKey->lineEdit()->setFocus();
    dialogs.warningAnswers = {Answer::Nein};
    QTest::keyClick(window->lpKey->lineEdit(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(status(), "Kein Languagepack geladen");

    // Disabled: Ctrl+S does nothing without a pack.
    QTest::keyClick(window->lpKey->lineEdit(), Qt::Key_S, Qt::ControlModifier);
    dialogs.fileAnswers = {std::nullopt};
    QTest::keyClick(window->lpComment, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(dialogs.takeShown(), Shown({question, "open: Languagepack laden"}));
}

} // namespace
