#pragma once

#include "UserDialogs.h"

class QWidget;

// The dialogs of the running program: message boxes with German buttons and Qt file dialogs.
class QtUserDialogs : public UserDialogs
{
public:
    // The window the boxes belong to; may be set after construction.
    void setParentWindow(QWidget* window) { parent = window; }

    void information(const std::string& text) override;
    void error(const std::string& text) override;
    Answer warning(const std::string& text) override;
    bool confirmation(const std::string& text) override;
    bool openFile(FileDialogSettings& dialog) override;
    bool saveFile(FileDialogSettings& dialog) override;

private:
    bool runFileDialog(FileDialogSettings& dialog, bool save);

    QWidget* parent = nullptr;
};
