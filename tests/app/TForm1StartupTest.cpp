#include "WindowFixture.h"

#include "InfoBlockModel.h"
#include "TAboutBox.h"
#include "TKeyField.h"

#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "TypeText.h"

namespace {

struct ActionRow
{
    const char* name;
    const char* caption;
    const char* hint;
    const char* shortcut;
    bool enabledAtStart;
};

const ActionRow actionTable[] = {
    {"loadAction", "Languagepack laden", "Läd ein existierendes Languagepack", "Ctrl+L", true},
    {"newFile", "Neues Languagepack", "Erstellt ein neues, leeres Languagepack", "Ctrl+N", true},
    {"saveAction", "Speichern", "Speichert das aktuelle Languagepack", "Ctrl+S", false},
    {"saveasAction", "Speichern als", "Speichert das Languagepack unter einem neuen Namen", "", false},
    {"closeAction", "Schleßen", "Schließt das aktuelle Languagepack", "Ctrl+W", false},
    {"exitAction", "Beenden", "Programm beenden", "Ctrl+Q", true},
    {"aboutAction", "Info", "", "", true},
    {"submitAction", "Übernehmen", "Änderungen übernehmen", "", false},
    {"resetAction", "Verwerfen", "Änderungen verwerfen", "", false},
    {"toggleWW", "", "Wordwrap ein-/ausschalten", "", false},
    {"newAction", "+", "", "Ctrl+A", false},
    {"dropAction", "-", "", "", false},
    {"renameAction", "o", "", "", false},
    {"suchAction", "Suchen", "Sucht nach Texten im Languagepack", "", false},
    {"changeSearchType", "beim Tippen suchen", "Bereeits beim Eintippen des Textes suchen", "", true},
    {"doppelCheck", "Doppel-Check", "", "", true},
    {"syntaxCheck", "Syntax-Check", "", "", true},
    {"exportAction", "Export starten", "Exportiert das Languagepack", "", false},
    {"nextAction", "Next", "Go to next key", "", true},
    {"prevAction", "Previous", "Go to previous key", "", true},
};

using StartupTest = WindowFixture;

TEST_F(StartupTest, ActionsHaveTheirCaptionsHintsShortcutsAndStartStates)
{
    for (const ActionRow& row : actionTable) {
        SCOPED_TRACE(row.name);
        QAction* a = action(row.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().toStdString(), row.caption);
        EXPECT_EQ(a->statusTip().toStdString(), row.hint);
        EXPECT_EQ(a->shortcut(), QKeySequence(row.shortcut));
        EXPECT_EQ(a->isEnabled(), row.enabledAtStart);
    }
    EXPECT_TRUE(window->toggleWW->isChecked());
    EXPECT_TRUE(window->changeSearchType->isChecked());
}

TEST_F(StartupTest, StartsEmptyOnThePageSuchen)
{
    EXPECT_EQ(window->pageControl->currentWidget(), window->TabSheet4);
    QStringList pages;
    for (int i = 0; i < window->pageControl->count(); ++i)
        pages << window->pageControl->tabText(i);
    EXPECT_EQ(pages, QStringList({"Checks", "Export", "Languagepack", "Suchen"}));
    EXPECT_EQ(status(), "");
    EXPECT_EQ(window->lpKey->listView()->model()->rowCount(), 0);
    EXPECT_EQ(window->lpKey->text(), "");
    EXPECT_EQ(window->lpValue->toPlainText(), "");
    EXPECT_TRUE(window->pack.isSaved);
    EXPECT_FALSE(window->pack.isModified);
    EXPECT_TRUE(window->checkWW->isChecked());
    EXPECT_FALSE(window->checkWW->isEnabled());
    EXPECT_TRUE(window->searchOnType->isChecked());
}

TEST_F(StartupTest, InfoBlockShowsFiveRowsWithEmptyValues)
{
    const QAbstractItemModel* model = window->lpInfoblock->model();
    ASSERT_EQ(model->rowCount(), 5);
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Option");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Wert");
    const QStringList names = {"Projekt", "Name", "Sprache", "Version", "letzte Änderung"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(model->index(row, 0).data().toString(), names[row]);
        EXPECT_EQ(model->index(row, 1).data().toString(), "");
        EXPECT_FALSE(model->flags(model->index(row, 0)) & Qt::ItemIsEditable);
        EXPECT_TRUE(model->flags(model->index(row, 1)) & Qt::ItemIsEditable);
    }
    EXPECT_EQ(window->lpInfoblock->columnWidth(0), 150);
}

TEST_F(StartupTest, InfoBlockCellGoesIntoTheDocumentAsTyped)
{
    window->show();
    window->pageControl->setCurrentWidget(window->TabSheet2);
    const QModelIndex version = window->lpInfoblock->model()->index(rowVersion, 1);
    window->lpInfoblock->edit(version);
    auto* editor = qobject_cast<QLineEdit*>(window->lpInfoblock->indexWidget(version));
    ASSERT_NE(editor, nullptr);
    typeText(editor, QString::fromUtf8("2.0 €"));
    QTest::keyClick(editor, Qt::Key_Home);
    typeText(editor, QString::fromUtf8("vĀ"));
    EXPECT_EQ(editor->text(), QString::fromUtf8("vA2.0 €"));
    EXPECT_EQ(window->pack.infoBlock[rowVersion], "vA2.0 \x80");
}

TEST_F(StartupTest, ControlsCarryTheirNamesAndHints)
{
    const std::pair<const char*, const char*> hints[] = {
        {"lpKey", "Zu übersetzende Schlüsselwörter"},
        {"lpValue", "Die Übersetzung des ausgewählten Schlüsselwortes"},
        {"lpComment", "Kommentar"},
        {"htmlCheckbox", "Text soll in der Übersetzung nach HTML umgewandelt werden"},
        {"breakCheckbox",
         "Die Umbrüche sollen in der Übersetzung erhalten bleiben. Bei Umwandlung in HTML werden "
         "alle Umbrüche in <BR>'s konvertiert."},
        {"unixCheckBox", "Ausgabe-Datei soll nur LF's enthalten und keine CRLF's"},
        {"checkWW", "Wordwrap ein-/ausschalten"},
        {"lpInfoblock", "Optionen für das Languagepack festlegen"},
        {"suchbegriff", "Bitte Suchtext eingeben"},
        {"searchOnType", "Bereeits beim Eintippen des Textes suchen"},
        {"ergenbisse", "Suchergebnisse"},
        {"exportModules", "Vorhandene Export-Plugins"},
        {"statusBar", ""},
        {"submitActionButton", "Änderungen für dieses Schlüsselwort übernehmen"},
        {"resetActionButton", "Änderungen für dieses Schlüsselwort verwerfen"},
        {"Button6", "Exportiert das Languagepack"},
    };
    for (const auto& [name, hint] : hints) {
        SCOPED_TRACE(name);
        const QWidget* w = control(name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->toolTip().toStdString(), hint);
    }
    EXPECT_EQ(control<QPushButton>("submitActionButton")->text(), "Übernehmen");
    EXPECT_EQ(control<QPushButton>("newActionButton")->size(), QSize(49, 17));
    EXPECT_EQ(control<QPushButton>("resetActionButton")->size(), QSize(115, 25));
    EXPECT_EQ(window->lpValue->font().family(), "Courier New");
    EXPECT_EQ(window->lpValue->font().pointSize(), 10);
    EXPECT_EQ(window->font().family(), "Tahoma");
}

TEST_F(StartupTest, MenuListsTheDocumentActionsAndInfo)
{
    QStringList entries;
    for (QAction* menu : window->menuBar()->actions()) {
        entries << menu->text() + ":";
        for (QAction* entry : menu->menu()->actions())
            entries << (entry->isSeparator() ? QString("-") : entry->text());
    }
    EXPECT_EQ(entries, QStringList({"Languagepack:", "Languagepack laden", "Neues Languagepack", "Speichern",
                                    "Speichern als", "Schleßen", "-", "Beenden", "Hilfe:", "Info"}));
}

TEST_F(StartupTest, WindowHasItsCaptionSizeAndMinimumSize)
{
    EXPECT_EQ(window->windowTitle(), "Velmora");
    EXPECT_EQ(window->size(), QSize(669, 651));
    window->show();
    window->resize(100, 100);
    EXPECT_EQ(window->size(), QSize(658, 460));
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(StartupTest, CtrlARunsNewActionOnlyWhileEnabled)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    QSignalSpy triggered(window->newAction, &QAction::triggered);
    // In the key field and in a memo, where Ctrl+A would otherwise select all.
    for (QWidget* focus :
         {static_cast<QWidget*>(window->lpKey->lineEdit()), static_cast<QWidget*>(window->lpValue)}) {
        focus->setFocus();
        window->newAction->setEnabled(false);
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(triggered.count(), 0);
        window->newAction->setEnabled(true);
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(triggered.count(), 1);
        triggered.clear();
    }
}

TEST_F(StartupTest, AboutBoxStaysBesideTheWindowAndOkHidesIt)
{
    window->show();
    window->aboutAction->trigger();
    TAboutBox* about = window->AboutBox;
    ASSERT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(about->windowTitle(), "Info über Velmora");
    EXPECT_EQ(about->Version->text(), "Version 1.3");
    EXPECT_EQ(about->ProductName->text(), "Velmora");
    EXPECT_FALSE(about->ProgramIcon->pixmap().isNull());
    EXPECT_EQ(about->size(), QSize(298, 213));

    // The window keeps working while the box is open.
    window->newFile->trigger();
    EXPECT_EQ(status(), "Neues Languagepack erstellt");

    window->aboutAction->trigger();
    EXPECT_EQ(window->findChildren<TAboutBox*>().size(), 1);
    QTest::mouseClick(about->OKButton, Qt::LeftButton);
    EXPECT_FALSE(about->isVisible());
    window->aboutAction->trigger();
    EXPECT_TRUE(about->isVisible());
}

} // namespace
