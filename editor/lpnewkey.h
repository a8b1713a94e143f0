#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

// The key-name dialog (unit lpnewkey): a modeless window asking for the name of a key that
// is added or renamed. "Okay" (the default button) calls `OnRequest` with the dialog as
// sender and hides the dialog; "Abbrechen" only hides it. The entry keeps its text between
// uses and is never checked, trimmed or changed.
class TNewKey : public QDialog
{
    Q_OBJECT
public:
    explicit TNewKey(QWidget* owner = nullptr);

    // The entry field's text in the document's encoding (Windows-1252), and replacing it.
    std::string KeyName() const;
    void setKeyName(std::string_view name);

    void Button1Click();
    void Button2Click();

    std::function<void(TNewKey* sender)> OnRequest;

    QWidget* Panel1;
    QWidget* Panel2;
    QLabel* Label1;
    QLineEdit* newkey;
    QPushButton* Button1;
    QPushButton* Button2;
};
