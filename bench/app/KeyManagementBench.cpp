// korvel_keys_bench [keys]: times key management, search and the checks in the main window
// with a generated pack of many keys (100,000 by default), opened through the window:
// one keystroke in the search field, both checks, adding, renaming and removing a key.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include "PackGenerator.h"
#include "SearchResultList.h"
#include "TForm1.h"
#include "TKeyField.h"
#include "TextSearch.h"
#include "WindowBench.h"
#include "lpnewkey.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// Times one step, the window's repaint of the changed lists included.
void timeInWindow(Figures& figures, TForm1& window, const std::function<void()>& step)
{
    figures.time([&] {
        step();
        window.lpKey->listView()->repaint();
        window.ergenbisse->repaint();
    });
}

std::string numbered(const char* pattern, int i)
{
    char name[64];
    std::snprintf(name, sizeof name, pattern, i);
    return name;
}

void select(TForm1& window, const std::string& key)
{
    window.lpKey->setItemIndex(window.pack.keys.indexOf(key));
    window.lpKeyChange();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir folder;
    SilentDialogs dialogs;
    dialogs.packPath = (folder.path() + "/bench.xml").toStdString();
    writeGeneratedPack(dialogs.packPath, count);

    TForm1 window(dialogs, QCoreApplication::applicationDirPath());
    window.show();
    window.loadActionExecute();
    QApplication::processEvents();

    // Typing a word letter by letter: each keystroke runs one search over every text.
    Figures keystroke;
    QLineEdit* field = window.suchbegriff;
    for (int run = 0; run < 10; ++run) {
        field->clear();
        for (const QChar c : QString::fromUtf8("Größe"))
            timeInWindow(keystroke, window,
                         [&] { QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), {}); });
    }
    const int wordResults = window.ergenbisse->model()->rowCount();
    // One letter found in nearly every text: the most lines the list can get.
    Figures everything;
    for (int run = 0; run < 10; ++run) {
        field->clear();
        timeInWindow(everything, window,
                     [&] { QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, "e", {}); });
    }
    const int letterResults = window.ergenbisse->model()->rowCount();

    Figures doppel, syntax;
    for (int run = 0; run < 20; ++run) {
        timeInWindow(doppel, window, [&] { window.doppelCheckExecute(); });
        timeInWindow(syntax, window, [&] { window.syntaxCheckExecute(); });
    }

    // Keys added, renamed and removed at places spread over the key list. The renamed keys are
    // keys of the pack, with entries in the tables, which move along; the removed keys are
    // the renamed ones, so their entries go.
    Figures add, rename, drop;
    const int steps = 50;
    for (int i = 0; i < steps; ++i) {
        window.newKeyDialog->setKeyName(numbered("%c.bench.added", 'a' + i % 26) + std::to_string(i));
        timeInWindow(add, window, [&] { window.newKeyRequestExecute(); });
    }
    std::vector<std::string> renamed;
    for (int i = 0; i < steps; ++i) {
        select(window, window.pack.keys.at((i * 1999) % window.pack.keys.count()));
        renamed.push_back(numbered("%c.bench.renamed", 'z' - i % 26) + std::to_string(i));
        window.renameKeyDialog->setKeyName(renamed.back());
        timeInWindow(rename, window, [&] { window.renameKeyRequestExecute(); });
    }
    for (const std::string& key : renamed) {
        select(window, key);
        timeInWindow(drop, window, [&] { window.dropActionExecute(); });
    }
    // A search once keys were renamed: the table no longer holds them in key-list order.
    Figures afterEdits;
    for (int run = 0; run < 10; ++run) {
        field->clear();
        timeInWindow(afterEdits, window,
                     [&] { QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, "e", {}); });
    }

    // The worst order for the sort of the results: a table filled in random order, as from a
    // pack file that another tool wrote.
    THashedStringList shuffled;
    {
        std::vector<std::string> keys = window.pack.keys.items();
        std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
        for (const std::string& key : keys)
            shuffled.setValue(key, window.pack.ValueList.value(key));
    }
    Figures unordered;
    for (int run = 0; run < 10; ++run)
        timeInWindow(unordered, window, [&] { searchTexts(shuffled, "e"); });

    std::printf("%d keys\n", count);
    std::printf("keystroke in the search field (\"Größe\", %d found at the end)\n", wordResults);
    keystroke.report("  one keystroke");
    std::printf("search for \"e\" (%d found)\n", letterResults);
    everything.report("  one keystroke");
    afterEdits.report("  the same after 50 renames");
    unordered.report("  the same, texts in random order (no window)");
    doppel.report("Doppel-Check");
    syntax.report("Syntax-Check");
    add.report("add a key");
    rename.report("rename a key");
    drop.report("remove a key");
    return 0;
}
