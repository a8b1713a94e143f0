// korvel_window_bench [keys]: times the main window with a pack of many keys (100,000 by
// default): filling the key list, showing a key, one keystroke in the key field, opening the
// pack from its file and one keystroke in the search field.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include "PackGenerator.h"
#include "SearchResultList.h"
#include "TForm1.h"
#include "TKeyField.h"
#include "WindowBench.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;

    SilentDialogs dialogs;
    TForm1 window(dialogs, QCoreApplication::applicationDirPath());
    window.show();
    QApplication::processEvents();

    LanguagePack& pack = window.pack;
    for (int i = 0; i < count; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "module%03d.key%06d", i % 997, i);
        pack.keys.appendUnsorted(key);
        pack.setRecord(key, {std::string("Text f\xFCr ") + key + "\r\nzweite Zeile", "Kommentar",
                             flagText(i % 2 != 0), "0", "1"});
    }
    pack.keys.sort();

    Figures fill;
    for (int run = 0; run < 5; ++run) {
        fill.time([&] {
            // What the key field does when its key list tells it of a new fill.
            static_cast<KeyListListener&>(*window.lpKey).keysReset();
            window.lpKey->setItemIndex(0);
            window.lpKey->listView()->repaint();
        });
    }

    // One key shown first, so that fonts and layouts are set up before the timing.
    window.lpKey->setItemIndex(1);
    window.lpKeyChange();
    Figures show;
    for (int run = 0; run < 200; ++run) {
        const int index = static_cast<int>((static_cast<long long>(run) * 7919) % count);
        show.time([&] {
            window.lpKey->setItemIndex(index);
            window.lpKeyChange();
            window.lpKey->listView()->repaint();
        });
    }

    Figures keystroke;
    QLineEdit* edit = window.lpKey->lineEdit();
    const QString typed = "module500.key0";
    for (int run = 0; run < 10; ++run) {
        edit->clear();
        for (const QChar c : typed) {
            keystroke.time([&] {
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
                window.lpKey->listView()->repaint();
            });
        }
    }

    // A pack of as many keys with realistic texts (about 230 bytes a key in the file) opened
    // through the window, reader included.
    QTemporaryDir folder;
    dialogs.packPath = (folder.path() + "/bench.xml").toStdString();
    writeGeneratedPack(dialogs.packPath, count);
    Figures open;
    for (int run = 0; run < 3; ++run) {
        open.time([&] {
            window.loadActionExecute();
            window.lpKey->listView()->repaint();
        });
    }

    // Typing a word letter by letter into the search field of the opened pack: each keystroke
    // runs one search over every text.
    Figures search;
    QLineEdit* field = window.suchbegriff;
    for (int run = 0; run < 5; ++run) {
        field->clear();
        for (const QChar c : QString::fromUtf8("Größe"))
            search.time([&] {
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
                window.ergenbisse->repaint();
            });
    }

    std::printf("%d keys\n", count);
    fill.report("fill the key list");
    show.report("show a key");
    keystroke.report("keystroke in the key field");
    open.report("open the pack (file to window)");
    search.report("keystroke in the search field");
    return 0;
}
