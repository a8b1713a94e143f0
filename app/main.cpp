#include "ExportHost.h"
#include "QtUserDialogs.h"
#include "TForm1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
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
    return application.exec();
}
