// Builds the main window with a small demo pack, shows one key and saves a picture of the
// window: korvel-screenshot <output.png> [page]. scripts/screenshot.sh runs it under Xvfb;
// `page` (0 to 3) shows another page of the lower pane than the start page.
#include "QtUserDialogs.h"
#include "TForm1.h"
#include "TKeyField.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

struct DemoKey
{
    const char* key;
    const char* text;
    const char* comment;
    bool html;
};

// Windows-1252 texts, as the document holds them.
const DemoKey demoKeys[] = {
    {"button.cancel", "Abbrechen", "", false},
    {"button.ok", "OK", "", false},
    {"cart.empty", "Ihr Warenkorb ist leer.", "Hinweis auf der Warenkorbseite", false},
    {"cart.total", "Gesamtsumme: %s \x80", "Betrag mit W\xE4hrung", false},
    {"checkout.address", "Lieferadresse", "", false},
    {"checkout.intro",
     "Bitte pr\xFC"
     "fen Sie Ihre Bestellung.\r\nNach dem Absenden erhalten Sie eine Best\xE4tigung per E-Mail.",
     "Erster Absatz der Kassenseite;\r\nZeilenumbruch bleibt erhalten", true},
    {"checkout.submit", "Jetzt kaufen", "", false},
    {"error.network", "Keine Verbindung zum Server.", "", false},
    {"login.password", "Passwort", "", false},
    {"login.title", "Anmelden", "", false},
    {"menu.help", "Hilfe", "", false},
    {"menu.settings", "Einstellungen", "", false},
    {"product.size",
     "Gr\xF6\xDF"
     "e",
     "", false},
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: korvel-screenshot <output.png> [page]\n");
        return 2;
    }
    QApplication application(argc, argv);
    QtUserDialogs dialogs;
    TForm1 Form1(dialogs, QCoreApplication::applicationDirPath());

    LanguagePack& pack = Form1.pack;
    pack.packProject = "shop";
    pack.packName = "frontend";
    pack.packLang = "de";
    pack.packVersion = "1.4.2";
    pack.packDate = "2026-12-07 10:30";
    pack.infoBlock = {pack.packProject, pack.packName, pack.packLang, pack.packVersion, pack.packDate};
    pack.packFileName = "shop_frontend_de.xml";
    for (const DemoKey& k : demoKeys) {
        pack.keys.add(k.key);
        pack.ValueList.setValue(k.key, k.text);
        pack.CommentList.setValue(k.key, k.comment);
        pack.HtmlList.setValue(k.key, k.html ? "1" : "0");
        pack.BreakList.setValue(k.key, k.html ? "1" : "0");
        pack.UnixList.setValue(k.key, "0");
    }
    Form1.showInfoBlock();
    for (QAction* action : {Form1.exportAction, Form1.newAction, Form1.dropAction, Form1.renameAction,
                            Form1.toggleWW, Form1.saveasAction, Form1.closeAction})
        action->setEnabled(true);
    Form1.lpKey->setItemIndex(pack.keys.indexOf("checkout.intro"));
    Form1.lpKeyChange();

    if (argc == 3)
        Form1.pageControl->setCurrentIndex(std::atoi(argv[2]));
    Form1.show();
    const QString output = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(500, &Form1, [&Form1, output] {
        const bool saved = Form1.grab().save(output, "PNG");
        QApplication::exit(saved ? 0 : 1);
    });
    return application.exec();
}
