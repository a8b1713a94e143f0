#include "TForm1.h"

#include "TKeyField.h"
#include "UserDialogs.h"
#include "WidgetText.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>

namespace {

std::string unsaved(const std::string& what, const std::string& fileName)
{
    return what + " (nicht gespeichert: " + fileName + ")";
}

} // namespace

void TForm1::connectEditing()
{
    connect(lpKey, &TKeyField::change, this, [this] { run(&TForm1::lpKeyChange); });
    connect(lpValue, &QPlainTextEdit::textChanged, this,
            [this] { memoEdited(lpValue, &TForm1::lpValueChange); });
    connect(lpComment, &QPlainTextEdit::textChanged, this,
            [this] { memoEdited(lpComment, &TForm1::lpCommentChange); });
    connect(htmlCheckbox, &QCheckBox::toggled, this, [this] { run(&TForm1::htmlCheckboxClick); });
    connect(breakCheckbox, &QCheckBox::toggled, this, [this] { run(&TForm1::breakCheckboxClick); });
    connect(unixCheckBox, &QCheckBox::toggled, this, [this] { run(&TForm1::unixCheckBoxClick); });
}

void TForm1::lpKeyChange()
{
    const KeyRecord record = pack.record(currentKey());
    WidgetText::setMemoText(lpValue, WidgetText::memoFromDocument(record.text));
    WidgetText::setMemoText(lpComment, WidgetText::memoFromDocument(record.comment));
    uncheckFlags();
    showFlag(htmlCheckbox, record.htmlFlag);
    showFlag(breakCheckbox, record.breakFlag);
    showFlag(unixCheckBox, record.unixFlag);
    submitAction->setEnabled(false);
    resetAction->setEnabled(false);
    setStatus("Übersetzung geladen (" + pack.packFileName + ")");
}

void TForm1::submitActionExecute()
{
    pack.takeOver(currentKey(), {WidgetText::memoToDocument(WidgetText::memoText(lpValue)),
                                 WidgetText::memoToDocument(WidgetText::memoText(lpComment)),
                                 flagText(htmlCheckbox->isChecked()), flagText(breakCheckbox->isChecked()),
                                 flagText(unixCheckBox->isChecked())});
    submitAction->setEnabled(false);
    resetAction->setEnabled(false);
    saveAction->setEnabled(true);
    saveasAction->setEnabled(true);
    setStatus(unsaved("Änderungen übernommen", pack.packFileName));
}

void TForm1::resetActionExecute()
{
    const KeyRecord record = pack.record(currentKey());
    WidgetText::setMemoText(lpValue, WidgetText::memoFromDocument(record.text));
    WidgetText::setMemoText(lpComment, WidgetText::memoFromDocument(record.comment));
    resetAction->setEnabled(false);
    submitAction->setEnabled(false);
}

void TForm1::lpValueChange()
{
    submitAction->setEnabled(true);
    resetAction->setEnabled(true);
    saveAction->setEnabled(true);
    setStatus(unsaved("Übersetzung geändert", pack.packFileName));
}

void TForm1::lpCommentChange()
{
    submitAction->setEnabled(true);
    resetAction->setEnabled(true);
    setStatus(unsaved("Kommentar geändert", pack.packFileName));
}

void TForm1::htmlCheckboxClick()
{
    submitAction->setEnabled(true);
    resetAction->setEnabled(true);
}

void TForm1::breakCheckboxClick()
{
    submitAction->setEnabled(true);
    resetAction->setEnabled(true);
}

void TForm1::unixCheckBoxClick()
{
    submitAction->setEnabled(true);
    resetAction->setEnabled(true);
}

void TForm1::toggleWWExecute()
{
    if (checkWW->isChecked()) {
        lpValue->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        lpValue->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    } else {
        lpValue->setLineWrapMode(QPlainTextEdit::NoWrap);
        lpValue->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
}

void TForm1::nextActionExecute()
{
    showInfo("ToDo");
}

void TForm1::prevActionExecute()
{
    showInfo("ToDo");
}

std::string TForm1::currentKey() const
{
    return lpKey->text();
}

// A memo's change rule runs after characters that Windows-1252 cannot hold have been
// replaced, and once per change: the replacement itself runs no rule.
void TForm1::memoEdited(QPlainTextEdit* memo, void (TForm1::*rule)())
{
    if (replacingInMemo)
        return;
    replacingInMemo = true;
    WidgetText::keepWindows1252(memo);
    replacingInMemo = false;
    run(rule);
}

// The flag boxes differ from what is stored for the shown key: toggled, and kept by
// "Verwerfen", which restores only the memos.
bool TForm1::flagsEdited() const
{
    const KeyRecord record = pack.record(currentKey());
    return htmlCheckbox->isChecked() != isFlagOn(record.htmlFlag) ||
           breakCheckbox->isChecked() != isFlagOn(record.breakFlag) ||
           unixCheckBox->isChecked() != isFlagOn(record.unixFlag);
}

void TForm1::showFlag(QCheckBox* box, std::string_view flag)
{
    if (isFlagOn(flag))
        box->setChecked(true);
}
