#pragma once

#include "UserDialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Answers the window's dialogs from a script and records what was shown, in order:
// "info: <text>", "error: <text>", "warning: <text>", "confirm: <text>", "open: <title>",
// "save: <title>". An unscripted question fails the test through an exception.
class FakeUserDialogs : public UserDialogs
{
public:
    std::vector<std::string> shown;
    std::deque<Answer> warningAnswers;
    std::deque<bool> confirmationAnswers;
    // A path confirms the dialog with that path; nullopt cancels it.
    std::deque<std::optional<std::string>> fileAnswers;
    // The dialog settings as they were when each file dialog was shown.
    std::vector<FileDialogSettings> fileDialogs;
    // Runs after a file dialog was answered, before the window goes on: a test can change
    // the files in between.
    std::function<void()> afterFileDialog;

    void information(const std::string& text) override { shown.push_back("info: " + text); }
    void error(const std::string& text) override { shown.push_back("error: " + text); }
    Answer warning(const std::string& text) override
    {
        shown.push_back("warning: " + text);
        return next(warningAnswers, "warning");
    }
    bool confirmation(const std::string& text) override
    {
        shown.push_back("confirm: " + text);
        return next(confirmationAnswers, "confirmation");
    }
    bool openFile(FileDialogSettings& dialog) override { return fileDialog("open: ", dialog); }
    bool saveFile(FileDialogSettings& dialog) override { return fileDialog("save: ", dialog); }

    std::vector<std::string> takeShown() { return std::exchange(shown, {}); }

private:
    template <typename T> static T next(std::deque<T>& answers, const char* what)
    {
        if (answers.empty())
            throw std::logic_error(std::string("unscripted ") + what);
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool fileDialog(const std::string& kind, FileDialogSettings& dialog)
    {
        shown.push_back(kind + dialog.title);
        fileDialogs.push_back(dialog);
        const std::optional<std::string> answer = next(fileAnswers, "file dialog");
        if (!answer)
            return false;
        dialog.fileName = withDefaultExtension(*answer, dialog.defaultExt);
        if (afterFileDialog)
            afterFileDialog();
        return true;
    }
};
