#include "TForm1.h"

#include "InfoBlockModel.h"
#include "KorvelIcon.h"
#include "TAboutBox.h"
#include "TKeyField.h"
#include "UserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>

#include <exception>

TForm1::TForm1(UserDialogs& userDialogs, const QString& folder, QWidget* parent)
    : QMainWindow(parent), dialogs(userDialogs), programFolder(folder)
{
    setObjectName("Form1");
    setWindowTitle("Velmora");
    setWindowIcon(KorvelIcon::icon());
    openDialog.title = "Languagepack laden";
    openDialog.filter = "Languagepacks (*.xml)|*.xml";
    openDialog.defaultExt = "xml";
    SaveDialog1.title = "Export";
    setFont(QFont("Tahoma", 8));
    createActions();
    createLayout();
    createMenu();
    connectHandlers();
    connectEditing();
    connectLifecycle();
    connectExport();
    connectKeys();
    connectSearch();
    connectChecks();
    resize(669, 651);
    setMinimumSize(658, 460);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());

    // The six tables exist (members of the document and the window) and are empty.
    createKeyDialogs();
    AboutBox = new TAboutBox(this);
    AboutBox->hide();
    scanForPlugins();
    saveAction->setEnabled(false);
    saveasAction->setEnabled(false);
    closeAction->setEnabled(false);
    pageControl->setCurrentWidget(TabSheet4);

    // A shortcut of an enabled action wins over the text fields' own use of the keys.
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
}

void TForm1::showInfo(const std::string& text)
{
    dialogs.information(text);
}

void TForm1::setStatusText(const std::string& text)
{
    setStatus(text);
}

void TForm1::aboutActionExecute()
{
    AboutBox->showBeside();
}

void TForm1::lpInfoblockStringsChange() {}

void TForm1::run(void (TForm1::*handler)())
{
    run([this, handler] { (this->*handler)(); });
}

void TForm1::run(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        dialogs.error(e.what());
    }
}

void TForm1::runOn(QAction* action, void (TForm1::*handler)())
{
    connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
}

void TForm1::setStatus(const std::string& text)
{
    statusBar->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::showInfoBlock()
{
    infoBlockModel->cellsChanged();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->modifiers() | key->key());
        for (const QAction* action : actions()) {
            // Left unaccepted, the key goes to the window's shortcuts instead of the widget.
            if (action->isEnabled() && !action->shortcut().isEmpty() &&
                action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
