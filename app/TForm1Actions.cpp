#include "TForm1.h"

#include <QAction>

namespace {

// An action with its caption, hint (tool tip and status tip) and shortcut; the window owns
// it and runs its shortcut wherever the focus is, while the action is enabled.
QAction* makeAction(TForm1* window, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut, bool enabled)
{
    auto* action = new QAction(caption, window);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(enabled);
    window->addAction(action);
    return action;
}

} // namespace

void TForm1::createActions()
{
    const QKeySequence none;
    loadAction = makeAction(this, "loadAction", "Languagepack laden", "Läd ein existierendes Languagepack",
                            QKeySequence("Ctrl+L"), true);
    newFile = makeAction(this, "newFile", "Neues Languagepack", "Erstellt ein neues, leeres Languagepack",
                         QKeySequence("Ctrl+N"), true);
    saveAction = makeAction(this, "saveAction", "Speichern", "Speichert das aktuelle Languagepack",
                            QKeySequence("Ctrl+S"), false);
    saveasAction = makeAction(this, "saveasAction", "Speichern als",
                              "Speichert das Languagepack unter einem neuen Namen", none, false);
    closeAction = makeAction(this, "closeAction", "Schleßen", "Schließt das aktuelle Languagepack",
                             QKeySequence("Ctrl+W"), false);
    exitAction = makeAction(this, "exitAction", "Beenden", "Programm beenden", QKeySequence("Ctrl+Q"), true);
    aboutAction = makeAction(this, "aboutAction", "Info", QString(), none, true);
    submitAction = makeAction(this, "submitAction", "Übernehmen", "Änderungen übernehmen", none, false);
    resetAction = makeAction(this, "resetAction", "Verwerfen", "Änderungen verwerfen", none, false);
    toggleWW = makeAction(this, "toggleWW", QString(), "Wordwrap ein-/ausschalten", none, false);
    toggleWW->setCheckable(true);
    toggleWW->setChecked(true);
    newAction = makeAction(this, "newAction", "+", QString(), QKeySequence("Ctrl+A"), false);
    dropAction = makeAction(this, "dropAction", "-", QString(), none, false);
    renameAction = makeAction(this, "renameAction", "o", QString(), none, false);
    renameKeyRequest = makeAction(this, "renameKeyRequest", "renameKeyRequest", QString(), none, true);
    suchAction = makeAction(this, "suchAction", "Suchen", "Sucht nach Texten im Languagepack", none, false);
    changeSearchType = makeAction(this, "changeSearchType", "beim Tippen suchen",
                                  "Bereeits beim Eintippen des Textes suchen", none, true);
    changeSearchType->setCheckable(true);
    changeSearchType->setChecked(true);
    doppelCheck = makeAction(this, "doppelCheck", "Doppel-Check", QString(), none, true);
    syntaxCheck = makeAction(this, "syntaxCheck", "Syntax-Check", QString(), none, true);
    exportAction =
        makeAction(this, "exportAction", "Export starten", "Exportiert das Languagepack", none, false);
    nextAction = makeAction(this, "nextAction", "Next", "Go to next key", none, true);
    prevAction = makeAction(this, "prevAction", "Previous", "Go to previous key", none, true);
}

// Handlers of the other subsystems (key management, search, checks, export) are connected
// where they are written.
void TForm1::connectHandlers()
{
    runOn(aboutAction, &TForm1::aboutActionExecute);
    runOn(submitAction, &TForm1::submitActionExecute);
    runOn(resetAction, &TForm1::resetActionExecute);
    runOn(toggleWW, &TForm1::toggleWWExecute);
    runOn(nextAction, &TForm1::nextActionExecute);
    runOn(prevAction, &TForm1::prevActionExecute);
}
