#pragma once

#include "TempDir.h"
#include "WindowFixture.h"

#include "TKeyField.h"
#include "TypeText.h"

#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QTableView>

#include <filesystem>
#include <map>

// A window and a folder of packs: copies of the example packs and packs written by a test.
class LifecycleFixture : public WindowFixture
{
protected:
    std::string example(const std::string& name) const
    {
        const std::string target = folder.path(name);
        std::filesystem::copy_file(std::string(KORVEL_EXAMPLES_DIR) + "/" + name, target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    void open(const std::string& path)
    {
        dialogs.fileAnswers.push_back(path);
        window->loadAction->trigger();
    }

    // The enabled state of the document actions, in the order of `documentActions`.
    std::map<std::string, bool> documentActionStates() const
    {
        std::map<std::string, bool> states;
        for (QAction* a : window->actions())
            states[a->objectName().toStdString()] = a->isEnabled();
        return states;
    }

    // Expected states: every document action `open`, take-over and discard off.
    static std::map<std::string, bool> statesWith(bool open, bool save)
    {
        return {{"submitAction", false}, {"resetAction", false}, {"exportAction", open}, {"newAction", open},
                {"renameAction", open},  {"dropAction", open},   {"toggleWW", open},     {"saveAction", save},
                {"saveasAction", open},  {"closeAction", open}};
    }

    std::map<std::string, bool> actual(const std::map<std::string, bool>& expected) const
    {
        std::map<std::string, bool> states = documentActionStates();
        std::map<std::string, bool> picked;
        for (const auto& [name, state] : expected)
            picked[name] = states.at(name);
        return picked;
    }

    std::string infoCell(int row) const
    {
        return window->lpInfoblock->model()->index(row, 1).data().toString().toStdString();
    }

    void typeInto(QPlainTextEdit* memo, const QString& text)
    {
        memo->moveCursor(QTextCursor::End);
        memo->insertPlainText(text);
    }

    TempDir folder;
};
