#include "TForm1.h"

#include "KeyChecks.h"
#include "TKeyField.h"
#include "WidgetText.h"
#include "Windows1252.h"
#include "lpnewkey.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <optional>

namespace {

const char* const keyExists = "Schlüssel bereits vorhanden!";
const char* const emptyNameRefused = "Ein Schlüssel braucht einen Namen.";

// Why renaming `key` to `name` is refused, if it is: an empty name is never saved, and
// taking the name of another key would overwrite that key's entries. A rename that only
// changes the letter case goes ahead.
std::optional<const char*> renameRefusal(const KeyList& keys, const std::string& key, const std::string& name)
{
    if (name.empty())
        return emptyNameRefused;
    if (holdsEqualsSign(name))
        return equalsSignInKeyName;
    if (!Windows1252::sameText(name, key) && keys.indexOf(name) >= 0)
        return keyExists;
    return std::nullopt;
}

void showDialog(TNewKey* dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

// Both dialogs are owned by the window and live as long as it does; "Okay" runs their
// request inside the guard.
void TForm1::createKeyDialogs()
{
    newKeyDialog = new TNewKey(this);
    newKeyDialog->setObjectName("newKeyDialog");
    newKeyDialog->OnRequest = [this](TNewKey*) { run(&TForm1::newKeyRequestExecute); };
    newKeyDialog->hide();
    renameKeyDialog = new TNewKey(this);
    renameKeyDialog->setObjectName("renameKeyDialog");
    renameKeyDialog->OnRequest = [this](TNewKey*) { run(&TForm1::renameKeyRequestExecute); };
    renameKeyDialog->hide();
}

void TForm1::connectKeys()
{
    runOn(newAction, &TForm1::newActionExecute);
    runOn(dropAction, &TForm1::dropActionExecute);
    runOn(renameAction, &TForm1::renameActionExecute);
    runOn(renameKeyRequest, &TForm1::renameKeyRequestExecute);
}

void TForm1::newActionExecute()
{
    showDialog(newKeyDialog);
    newKeyDialog->newkey->selectAll();
    newKeyDialog->newkey->setFocus();
}

void TForm1::newKeyRequestExecute()
{
    const std::string name = newKeyDialog->KeyName();
    // The writer never saves an empty name: a text taken over for it would be lost unseen.
    if (name.empty()) {
        showInfo(emptyNameRefused);
        return;
    }
    if (holdsEqualsSign(name)) {
        showInfo(equalsSignInKeyName);
        return;
    }
    if (const int existing = pack.keys.indexOf(name); existing >= 0) {
        showInfo(keyExists);
        lpKey->setItemIndex(existing);
        lpKeyChange();
        return;
    }
    lpKey->keyInserted(pack.keys.add(name));
    lpKey->setItemIndex(pack.keys.indexOf(name));
    emptyMemosQuietly();
    htmlCheckbox->setChecked(false);
    breakCheckbox->setChecked(false);
    unixCheckBox->setChecked(false);
    lpValue->setFocus();
    markModified();
}

void TForm1::renameActionExecute()
{
    renameKeyDialog->setKeyName(currentKey());
    showDialog(renameKeyDialog);
    renameKeyDialog->newkey->setFocus();
}

// The key's comment and flags move along with its text; the text comes from the memo, so an
// edit not yet taken over moves too. The controls are not refreshed: they still hold what
// was shown for the key, and the next take-over stores it under the new name.
void TForm1::renameKeyRequestExecute()
{
    const std::string key = currentKey();
    const std::string text = WidgetText::memoToDocument(WidgetText::memoText(lpValue));
    const std::string name = renameKeyDialog->KeyName();
    if (const std::optional<const char*> refusal = renameRefusal(pack.keys, key, name)) {
        showInfo(*refusal);
        return;
    }
    KeyRecord moved = pack.record(key);
    moved.text = text;
    pack.setRecord(key, {});
    if (const int row = lpKey->itemIndex(); row >= 0) {
        pack.keys.removeAt(row);
        lpKey->keyRemoved(row);
    }
    lpKey->keyInserted(pack.keys.add(name));
    pack.setRecord(name, moved);
    lpKey->setItemIndex(pack.keys.indexOf(name));
    markModified();
    saveAction->setEnabled(true);
    saveasAction->setEnabled(true);
    setStatus("Key/Value geändert (" + pack.packFileName + " nicht gespeichert)");
}

// Removed at once, without a question; the entry before it is shown next.
void TForm1::dropActionExecute()
{
    pack.setRecord(currentKey(), {});
    int next = 0;
    if (const int row = lpKey->itemIndex(); row >= 0) {
        pack.keys.removeAt(row);
        lpKey->keyRemoved(row);
        next = std::max(row - 1, 0);
    }
    lpKey->setItemIndex(next < pack.keys.count() ? next : -1);
    lpKeyChange();
    markModified();
}

void TForm1::markModified()
{
    pack.isSaved = false;
    pack.isModified = true;
}

// A new key starts with empty memos; emptying them is no edit, so no change rule runs.
void TForm1::emptyMemosQuietly()
{
    const QSignalBlocker valueQuiet(lpValue);
    const QSignalBlocker commentQuiet(lpComment);
    lpValue->clear();
    lpComment->clear();
}
