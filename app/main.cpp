#include "ExportHost.h"
#include "ProgramArguments.h"
#include "QtUserDialogs.h"
#include "TForm1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <iostream>

namespace {

std::vector<std::string> argumentsAfterName(const QStringList& arguments)
{
    std::vector<std::string> after;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        after.push_back(arguments[i].toStdString());
    return after;
}

} // namespace

int main(int argc, char* argv[])
{
    // The help and the version need no window and no display: answered before Qt starts.
    const ProgramArguments early = ProgramArguments::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (early.kind == ProgramArguments::Kind::Help || early.kind == ProgramArguments::Kind::Version) {
        std::cout << early.text;
        return 0;
    }
    QApplication application(argc, argv);
    // Qt has taken its own options (-platform and the like); the rest are Korvel's.
    const ProgramArguments arguments = ProgramArguments::parse(argumentsAfterName(QApplication::arguments()));
    if (arguments.kind == ProgramArguments::Kind::Wrong) {
        std::cerr << arguments.text << '\n';
        return 2;
    }
    QApplication::setApplicationName("Korvel");
    QApplication::setDesktopFileName("korvel");
    // The program speaks German; Qt's own file dialogs and context menus follow it when
    // Qt's German translations are installed.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_",
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtGerman);
    QtUserDialogs dialogs;
    TForm1 Form1(dialogs, QString::fromStdString(programFolder()));
    dialogs.setParentWindow(&Form1);
    Form1.show();
    // A pack given at start (the file manager's "Open with") opens once the window is up.
    if (arguments.file)
        QTimer::singleShot(0, &Form1, [&Form1, &arguments] { Form1.openAtStart(*arguments.file); });
    return application.exec();
}
