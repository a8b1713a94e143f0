#pragma once

#include "FileDialogSettings.h"
#include "KeyList.h"
#include "LanguagePack.h"
#include "Memo.h"
#include "THashedStringList.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>

struct ExportFileType;
class InfoBlockModel;
class QAction;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QListWidget;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class SearchResultList;
class TAboutBox;
class TKeyField;
class TNewKey;
class UserDialogs;

// The main window. It owns the open language pack and shows its key list and info values
// without copying them; every operation of the program is one of its handlers, in one file
// per subsystem: TForm1.cpp (start-up), TForm1Layout.cpp, TForm1Actions.cpp,
// TForm1Editing.cpp, TForm1Lifecycle.cpp, TForm1Keys.cpp, TForm1Search.cpp and
// TForm1Checks.cpp. What a handler needs that has no window lives below app/: in the document
// core, the export host and the editing widgets.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // `programFolder` is the folder of the program file, which holds Plugins/.
    TForm1(UserDialogs& dialogs, const QString& programFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    // A modal information box ("Informationen", one button "OK").
    void showInfo(const std::string& text);
    // The status line's one text.
    void setStatusText(const std::string& text);
    // The info block shows the document's cells again.
    void showInfoBlock();

    // Start-up and window.
    void aboutActionExecute();
    void lpInfoblockStringsChange();

    // Document lifecycle.
    void loadActionExecute();
    // The pack given on the command line, opened as "Languagepack laden" opens a chosen file;
    // a failure shows the error box, and the window goes on without a pack.
    void openAtStart(const std::string& path);
    void newFileExecute();
    void saveActionExecute();
    void saveasActionExecute();
    void closeActionExecute();
    void exitActionExecute();
    // Closing through the window frame: `CanClose` false keeps the window open.
    void FormCloseQuery(bool& CanClose);

    // Key selection and translation editing.
    void lpKeyChange();
    void submitActionExecute();
    void resetActionExecute();
    void lpValueChange();
    void lpCommentChange();
    void htmlCheckboxClick();
    void breakCheckboxClick();
    void unixCheckBoxClick();
    void toggleWWExecute();
    void nextActionExecute();
    void prevActionExecute();

    // Export host.
    void scanForPlugins();
    void exportActionExecute();
    void exportModulesDblClick();

    // Key management.
    void newActionExecute();
    void newKeyRequestExecute();
    void renameActionExecute();
    void renameKeyRequestExecute();
    void dropActionExecute();

    // Search.
    void suchActionExecute();
    void suchbegriffChange();
    void changeSearchTypeExecute();
    void ergenbisseClick();

    // Consistency checks.
    void doppelCheckExecute();
    void syntaxCheckExecute();

    UserDialogs& dialogs;
    const QString programFolder;

    LanguagePack pack;
    THashedStringList PluginList;
    FileDialogSettings openDialog;
    FileDialogSettings SaveDialog1;
    TNewKey* newKeyDialog = nullptr;
    TNewKey* renameKeyDialog = nullptr;
    TAboutBox* AboutBox = nullptr;
    // The lines of the result list, kept until the next search.
    KeyList searchResults;

    // Left pane.
    TKeyField* lpKey = nullptr;
    QCheckBox* checkWW = nullptr;
    // Right pane.
    Memo* lpComment = nullptr;
    Memo* lpValue = nullptr;
    QCheckBox* htmlCheckbox = nullptr;
    QCheckBox* breakCheckbox = nullptr;
    QCheckBox* unixCheckBox = nullptr;
    // Lower pane.
    QLabel* statusBar = nullptr;
    QTabWidget* pageControl = nullptr;
    QWidget* TabSheet1 = nullptr; // "Checks"
    QWidget* TabSheet3 = nullptr; // "Export"
    QWidget* TabSheet2 = nullptr; // "Languagepack"
    QWidget* TabSheet4 = nullptr; // "Suchen"
    QListWidget* exportModules = nullptr;
    QPushButton* Button6 = nullptr;
    QTableView* lpInfoblock = nullptr;
    InfoBlockModel* infoBlockModel = nullptr;
    QLineEdit* suchbegriff = nullptr;
    QCheckBox* searchOnType = nullptr;
    SearchResultList* ergenbisse = nullptr;

    QAction* loadAction = nullptr;
    QAction* newFile = nullptr;
    QAction* saveAction = nullptr;
    QAction* saveasAction = nullptr;
    QAction* closeAction = nullptr;
    QAction* exitAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* submitAction = nullptr;
    QAction* resetAction = nullptr;
    QAction* toggleWW = nullptr;
    QAction* newAction = nullptr;
    QAction* dropAction = nullptr;
    QAction* renameAction = nullptr;
    QAction* renameKeyRequest = nullptr;
    QAction* suchAction = nullptr;
    QAction* changeSearchType = nullptr;
    QAction* doppelCheck = nullptr;
    QAction* syntaxCheck = nullptr;
    QAction* exportAction = nullptr;
    QAction* nextAction = nullptr;
    QAction* prevAction = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createLayout();
    // One per area of the window; each makes its widgets and returns the area unplaced.
    QWidget* createLeftPane();
    QWidget* createRightPane();
    QWidget* createCommentArea();
    QWidget* createTranslationArea();
    QWidget* createFlagBar();
    QWidget* createLowerPane();
    QWidget* createChecksPage();
    QWidget* createExportPage();
    QWidget* createInfoPage();
    QWidget* createSearchPage();
    void createMenu();
    void connectHandlers();
    void connectEditing();
    void connectLifecycle();
    void connectExport();
    void connectKeys();
    void connectSearch();
    void connectChecks();

    // The one guard: an exception ends the handler and is shown in an error box.
    void run(void (TForm1::*handler)());
    void run(const std::function<void()>& handler);
    void runOn(QAction* action, void (TForm1::*handler)());

    // Lifecycle helpers. The saves return whether the document was written.
    void openPack(const std::string& path);
    bool save();
    bool saveAs();
    bool writePack(const std::string& path);
    bool unsavedChangesQuestion();
    bool hasUnsavedChanges() const;
    void setDocumentActions(bool documentOpen);

    // Export helpers. The save dialog for the plug-in's file type: the confirmed path, or
    // nothing when cancelled.
    std::optional<std::string> chooseExportTarget(const ExportFileType& type);

    // Editing helpers.
    std::string currentKey() const;
    void memoEdited(QPlainTextEdit* memo, void (TForm1::*rule)());
    void showFlag(QCheckBox* box, std::string_view flag);
    bool flagsEdited() const;
    void setStatus(const std::string& text);

    // Key management helpers.
    void createKeyDialogs();
    // Both memos emptied without their change rules, and the three flag boxes unchecked.
    void emptyMemosQuietly();
    void uncheckFlags();

    bool replacingInMemo = false;
    // Set while exit closes the window after its own question.
    bool exitAnswered = false;
};
