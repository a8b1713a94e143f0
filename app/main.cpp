#include "QtUserDialogs.h"
#include "TForm1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Korvel");
    QApplication::setDesktopFileName("korvel");
    QtUserDialogs dialogs;
    TForm1 Form1(dialogs, QCoreApplication::applicationDirPath());
    dialogs.setParentWindow(&Form1);
    Form1.show();
    return application.exec();
}
