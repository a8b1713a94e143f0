#include "TForm1.h"

#include "SearchResultList.h"
#include "TKeyField.h"
#include "TextSearch.h"
#include "WidgetText.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

void TForm1::connectSearch()
{
    runOn(suchAction, &TForm1::suchActionExecute);
    runOn(changeSearchType, &TForm1::changeSearchTypeExecute);
    connect(suchbegriff, &QLineEdit::textChanged, this, [this] { run(&TForm1::suchbegriffChange); });
    connect(ergenbisse, &SearchResultList::click, this, [this] { run(&TForm1::ergenbisseClick); });
}

// Only the result list changes: no selection, no status text, no message.
void TForm1::suchActionExecute()
{
    searchResults = searchTexts(pack.ValueList, WidgetText::toDocument(suchbegriff->text()));
}

void TForm1::suchbegriffChange()
{
    if (searchOnType->isChecked())
        suchActionExecute();
}

void TForm1::changeSearchTypeExecute()
{
    if (!searchOnType->isChecked()) {
        suchAction->setEnabled(true);
    } else {
        suchAction->setEnabled(false);
        suchActionExecute();
    }
}

// Edits of the key shown before are dropped, as with any change of key.
void TForm1::ergenbisseClick()
{
    const std::optional<std::string> line = ergenbisse->selectedText();
    if (!line)
        return;
    lpKey->setItemIndex(pack.keys.indexOf(*line));
    lpKeyChange();
}
