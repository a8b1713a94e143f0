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
    pack.addKey(name);
    lpKey->setItemIndex(pack.keys.indexOf(name));
    emptyMemosQuietly();
    uncheckFlags();
    lpValue->setFocus();
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
    lpKey->setItemIndex(pack.renameKey(lpKey->itemIndex(), key, name, text));
    saveAction->setEnabled(true);
    saveasAction->setEnabled(true);
    setStatus("Key/Value geändert (" + pack.packFileName + " nicht gespeichert)");
}

// Removed at once, without a question; the entry before it is shown next.
void TForm1::dropActionExecute()
{
    lpKey->setItemIndex(pack.removeKey(lpKey->itemIndex(), currentKey()));
    lpKeyChange();
}

// A new key, an open and a close start with empty memos; emptying them is no edit, so no
// change rule runs: the status line and the actions change only once the operation is done.
void TForm1::emptyMemosQuietly()
{
    const QSignalBlocker valueQuiet(lpValue);
    const QSignalBlocker commentQuiet(lpComment);
    lpValue->clear();
    lpComment->clear();
}

// Unchecking a box that was checked runs the flag rule.
void TForm1::uncheckFlags()
{
    htmlCheckbox->setChecked(false);
    breakCheckbox->setChecked(false);
    unixCheckBox->setChecked(false);
}
