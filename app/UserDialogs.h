#pragma once

#include "FileDialogSettings.h"

#include <string>

// Every way the window reaches the user: the three kinds of message box, the error box of
// the handlers' guard, and the open and save dialogs. Texts are UTF-8. The program shows real
// dialogs; tests answer through a scripted implementation.
class UserDialogs
{
public:
    enum class Answer { Ja, Nein, Abbrechen };

    virtual ~UserDialogs() = default;

    // Caption "Informationen", one button "OK".
    virtual void information(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    // Warning with "Ja", "Nein", "Abbrechen".
    virtual Answer warning(const std::string& text) = 0;
    // Confirmation with "Ja", "Nein"; true for "Ja".
    virtual bool confirmation(const std::string& text) = 0;
    // Show the dialog; on confirmation `dialog.fileName` becomes the chosen path (with the
    // default extension appended when the name had none) and the result is true. The save
    // dialog never asks before replacing a file.
    virtual bool openFile(FileDialogSettings& dialog) = 0;
    virtual bool saveFile(FileDialogSettings& dialog) = 0;
};
