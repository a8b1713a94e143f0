#include "TForm1.h"

#include "TKeyField.h"
#include "UserDialogs.h"
#include "Windows1252.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {

// Runs `done` when the scope ends, also when reading a pack throws half way.
template <typename F> class AtScopeEnd
{
public:
    explicit AtScopeEnd(F f) : done(std::move(f)) {}
    ~AtScopeEnd() { done(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    F done;
};

const char* const replacedCharactersSaveHint =
    "„Speichern“ fragt deshalb nach dem Dateinamen, damit die Datei nicht mit den ersetzten Texten "
    "überschrieben wird.";
const char* const changedByOthersQuestion =
    "Die Datei wurde von einem anderen Programm geändert. Trotzdem speichern?";

bool fileExists(const std::string& path)
{
    const QFileInfo info(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    return info.exists() && !info.isDir();
}

} // namespace

void TForm1::connectLifecycle()
{
    runOn(loadAction, &TForm1::loadActionExecute);
    runOn(newFile, &TForm1::newFileExecute);
    runOn(saveAction, &TForm1::saveActionExecute);
    runOn(saveasAction, &TForm1::saveasActionExecute);
    runOn(closeAction, &TForm1::closeActionExecute);
    runOn(exitAction, &TForm1::exitActionExecute);
}

void TForm1::loadActionExecute()
{
    if (!unsavedChangesQuestion())
        return;
    if (!dialogs.openFile(openDialog))
        return;
    openPack(openDialog.fileName);
}

void TForm1::openAtStart(const std::string& path)
{
    openDialog.fileName = path;
    run([this, &path] { openPack(path); });
}

// The steps of an open once its file is chosen.
void TForm1::openPack(const std::string& path)
{
    emptyMemosQuietly();
    {
        // The info block shows what the reading got, also when it stopped half way.
        const AtScopeEnd shown([this] { showInfoBlock(); });
        pack.open(path);
    }
    lpKey->setItemIndex(pack.keys.empty() ? -1 : 0);
    setDocumentActions(true);
    saveAction->setEnabled(false);
    lpKeyChange();
    setStatus("Languagepack geladen: " + pack.packFileName);
    if (pack.charactersReplaced())
        showInfo(pack.replacedCharactersNote() + "\n" + replacedCharactersSaveHint);
}

void TForm1::newFileExecute()
{
    if (!unsavedChangesQuestion())
        return;
    SaveDialog1.fileName.clear();
    pack.createNew();
    showInfoBlock();
    setDocumentActions(true);
    lpKeyChange();
    setStatus("Neues Languagepack erstellt");
    pageControl->setCurrentWidget(TabSheet2);
}

void TForm1::saveActionExecute()
{
    save();
}

void TForm1::saveasActionExecute()
{
    saveAs();
}

bool TForm1::save()
{
    submitActionExecute();
    // After an open that stopped at a bad key the document lacks the keys after it, and after
    // one that replaced characters it holds other texts than the file: the user chooses the
    // file, and replacing the opened one takes a confirmation.
    if (pack.xmlFileName().empty() || pack.readStoppedAtKey() || pack.charactersReplaced())
        return saveAs();
    if (pack.fileChangedByOthers() && !dialogs.confirmation(changedByOthersQuestion))
        return false;
    pack.packVersion = bumpVersion(pack.packVersion);
    pack.infoBlock[rowVersion] = pack.packVersion;
    showInfoBlock();
    return writePack(pack.xmlFileName());
}

bool TForm1::saveAs()
{
    SaveDialog1.title = "Speichern als...";
    SaveDialog1.filter = "XML-Languagepack (*.xml)|*.xml";
    submitActionExecute();
    pack.infoBlockToValues();
    SaveDialog1.fileName =
        !pack.xmlFileName().empty() ? pack.xmlFileName() : Windows1252::toUtf8(pack.proposedFileName("xml"));
    if (!dialogs.saveFile(SaveDialog1))
        return false;
    if (fileExists(SaveDialog1.fileName) &&
        !dialogs.confirmation("Diese Datei existiert bereits. Soll die Datei überschrieben werden?"))
        return false;
    return writePack(SaveDialog1.fileName);
}

// The document writes itself and tells what came of it; the window shows that. True when
// the file was written.
bool TForm1::writePack(const std::string& path)
{
    WriteOutcome outcome{};
    {
        // The time stamp is new whatever comes of the write.
        const AtScopeEnd stamped([this] { showInfoBlock(); });
        outcome = pack.write(path);
    }
    switch (outcome) {
    case WriteOutcome::NoTree:
        showInfo("Ooops...\nKein Languagepack geladen\nBitte erst neues Languagpack anlegen");
        return false;
    case WriteOutcome::NoRoot:
        showInfo("Ooops...\nSpeichern fehlgeschlagen...\nBitte erst neues Languagpack anlegen");
        return false;
    case WriteOutcome::Written:
        setStatus("Gespeichert: " + pack.packFileName);
        saveAction->setEnabled(false);
        return true;
    }
    return false;
}

void TForm1::closeActionExecute()
{
    if (!unsavedChangesQuestion())
        return;
    emptyMemosQuietly();
    pack.close();
    showInfoBlock();
    SaveDialog1.fileName.clear();
    setDocumentActions(false);
    lpKeyChange();
    setStatus("Kein Languagepack geladen");
}

void TForm1::exitActionExecute()
{
    if (!unsavedChangesQuestion())
        return;
    exitAnswered = true;
    close();
    exitAnswered = false;
}

void TForm1::FormCloseQuery(bool& CanClose)
{
    CanClose = exitAnswered || unsavedChangesQuestion();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool CanClose = false;
    run([this, &CanClose] { FormCloseQuery(CanClose); });
    if (CanClose)
        event->accept();
    else
        event->ignore();
}

// Asked before the document is replaced or the program ends; false stops the operation.
// A "Ja" whose save does not leave the document saved (cancelled, refused or failed) stops
// it too, so the changes are never thrown away unasked.
bool TForm1::unsavedChangesQuestion()
{
    if (!hasUnsavedChanges())
        return true;
    switch (dialogs.warning("Languagepack nicht gespeichert! Jetzt speichern?")) {
    case UserDialogs::Answer::Ja:
        return save();
    case UserDialogs::Answer::Nein:
        return true;
    case UserDialogs::Answer::Abbrechen:
        break;
    }
    return false;
}

// Changes that no file holds: taken over into the document, or still in the controls of an
// open pack (edits of the shown key not taken over, flag boxes that "Verwerfen" left toggled,
// info-block values the file does not hold), which the save of a "Ja" takes over too.
bool TForm1::hasUnsavedChanges() const
{
    if (pack.isModified && !pack.isSaved)
        return true;
    return pack.hasRootElement() && (submitAction->isEnabled() || flagsEdited() || pack.infoBlockEdited());
}

void TForm1::setDocumentActions(bool documentOpen)
{
    submitAction->setEnabled(false);
    resetAction->setEnabled(false);
    for (QAction* action :
         {exportAction, newAction, renameAction, dropAction, toggleWW, saveAction, saveasAction, closeAction})
        action->setEnabled(documentOpen);
}
