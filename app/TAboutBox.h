#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box: shown beside the main window (not modal), hidden by "OK", never re-created.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box, centred on the screen the first time; brings it forward when shown.
    void showBeside();

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QPushButton* OKButton;

private:
    bool placed = false;
};
