#include "TForm1.h"

#include "ActionBinding.h"
#include "InfoBlockModel.h"
#include "Memo.h"
#include "SearchResultList.h"
#include "TKeyField.h"
#include "WidgetText.h"
#include "Windows1252Delegate.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

template <typename W> W* named(W* widget, const char* name, const QString& hint = QString())
{
    widget->setObjectName(name);
    if (!hint.isEmpty())
        widget->setToolTip(hint);
    return widget;
}

QVBoxLayout* column(QWidget* owner, int margin = 0, int spacing = 2)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    return layout;
}

QHBoxLayout* row(QWidget* owner, int margin = 0, int spacing = 2)
{
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(spacing);
    return layout;
}

QPushButton* actionButton(QWidget* parent, QAction* action, int width, int height,
                          const QString& ownHint = {})
{
    auto* button = new QPushButton(parent);
    button->setObjectName(action->objectName() + "Button");
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    bindToAction(button, action, ownHint);
    if (width > 0)
        button->setFixedSize(width, height);
    return button;
}

// The two splitters between the panes: 2 pixels wide, and no pane can be squeezed away.
QSplitter* paneSplitter(Qt::Orientation orientation, const char* name)
{
    auto* splitter = named(new QSplitter(orientation), name);
    splitter->setHandleWidth(2);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

} // namespace

void TForm1::createLayout()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* outer = column(central, 2, 2);
    QWidget* leftPane = createLeftPane();
    QWidget* rightPane = createRightPane();
    auto* panes = paneSplitter(Qt::Horizontal, "mainSplitter");
    panes->addWidget(leftPane);
    panes->addWidget(rightPane);
    panes->setStretchFactor(1, 1);
    panes->setSizes({190, 477});
    outer->addWidget(panes, 1);
    outer->addWidget(createLowerPane());
    pageControl->addTab(createChecksPage(), "Checks");
    pageControl->addTab(createExportPage(), "Export");
    pageControl->addTab(createInfoPage(), "Languagepack");
    pageControl->addTab(createSearchPage(), "Suchen");
}

// "Schlüssel", the key field, and the bar with "+", "-", "o" and word wrap.
QWidget* TForm1::createLeftPane()
{
    auto* leftPane = named(new QWidget, "leftPane");
    auto* left = column(leftPane, 0, 2);
    left->addWidget(named(new QLabel("Schlüssel"), "keyLabel"));
    lpKey = named(new TKeyField(pack.keys), "lpKey", "Zu übersetzende Schlüsselwörter");
    left->addWidget(lpKey, 1);
    auto* keyBar = named(new QWidget, "keyBar");
    keyBar->setFixedHeight(19);
    auto* keyButtons = row(keyBar, 0, 1);
    keyButtons->addWidget(actionButton(keyBar, newAction, 49, 17));
    keyButtons->addWidget(actionButton(keyBar, dropAction, 49, 17));
    keyButtons->addWidget(actionButton(keyBar, renameAction, 49, 17));
    keyButtons->addStretch(1);
    checkWW = named(new QCheckBox(keyBar), "checkWW");
    bindToAction(checkWW, toggleWW);
    keyButtons->addWidget(checkWW);
    left->addWidget(keyBar);
    return leftPane;
}

// The comment area over the translation area.
QWidget* TForm1::createRightPane()
{
    QWidget* commentArea = createCommentArea();
    QWidget* translationArea = createTranslationArea();
    auto* rightPane = paneSplitter(Qt::Vertical, "rightPane");
    rightPane->addWidget(commentArea);
    rightPane->addWidget(translationArea);
    rightPane->setStretchFactor(1, 1);
    rightPane->setSizes({104, 400});
    rightPane->setMinimumWidth(450);
    return rightPane;
}

QWidget* TForm1::createCommentArea()
{
    auto* commentArea = named(new QWidget, "commentArea");
    auto* comment = column(commentArea, 0, 2);
    comment->addWidget(named(new QLabel("Kommentar"), "commentLabel"));
    lpComment = named(new Memo, "lpComment", "Kommentar");
    lpComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lpComment->setTabChangesFocus(true);
    comment->addWidget(lpComment, 1);
    return commentArea;
}

QWidget* TForm1::createTranslationArea()
{
    auto* translationArea = named(new QWidget, "translationArea");
    auto* translation = column(translationArea, 0, 2);
    translation->addWidget(named(new QLabel("Übersetzung"), "valueLabel"));
    lpValue = named(new Memo, "lpValue", "Die Übersetzung des ausgewählten Schlüsselwortes");
    lpValue->setFont(QFont("Courier New", 10));
    lpValue->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lpValue->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lpValue->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lpValue->setTabChangesFocus(true);
    translation->addWidget(lpValue, 1);
    translation->addWidget(createFlagBar());
    return translationArea;
}

// The three flag boxes on the left, "Verwerfen" and "Übernehmen" at the bottom right.
QWidget* TForm1::createFlagBar()
{
    auto* flagBar = named(new QWidget, "flagBar");
    flagBar->setFixedHeight(72);
    auto* flagRow = row(flagBar, 0, 4);
    auto* flags = new QVBoxLayout;
    flags->setSpacing(2);
    htmlCheckbox = named(new QCheckBox("in HTML umwandeln"), "htmlCheckbox",
                         "Text soll in der Übersetzung nach HTML umgewandelt werden");
    breakCheckbox = named(new QCheckBox("Umbrüche erhalten"), "breakCheckbox",
                          "Die Umbrüche sollen in der Übersetzung erhalten bleiben. Bei Umwandlung in HTML "
                          "werden alle Umbrüche in <BR>'s konvertiert.");
    unixCheckBox = named(new QCheckBox("UNIX Linebreak"), "unixCheckBox",
                         "Ausgabe-Datei soll nur LF's enthalten und keine CRLF's");
    flags->addWidget(htmlCheckbox);
    flags->addWidget(breakCheckbox);
    flags->addWidget(unixCheckBox);
    flags->addStretch(1);
    flagRow->addLayout(flags);
    flagRow->addStretch(1);
    auto* editButtons = new QVBoxLayout;
    editButtons->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(6);
    buttonRow->addWidget(
        actionButton(flagBar, resetAction, 115, 25, "Änderungen für dieses Schlüsselwort verwerfen"));
    buttonRow->addWidget(
        actionButton(flagBar, submitAction, 115, 25, "Änderungen für dieses Schlüsselwort übernehmen"));
    editButtons->addLayout(buttonRow);
    flagRow->addLayout(editButtons);
    return flagBar;
}

// The status line over the page control; the pages join the control once the pane is in
// the window.
QWidget* TForm1::createLowerPane()
{
    auto* lowerPane = named(new QWidget, "lowerPane");
    lowerPane->setFixedHeight(142);
    auto* lower = column(lowerPane, 0, 0);
    statusBar = named(new QLabel, "statusBar");
    statusBar->setFixedHeight(25);
    statusBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusBar->setTextFormat(Qt::PlainText);
    lower->addWidget(statusBar);
    pageControl = named(new QTabWidget, "pageControl");
    pageControl->setTabPosition(QTabWidget::South);
    lower->addWidget(pageControl, 1);
    return lowerPane;
}

QWidget* TForm1::createChecksPage()
{
    TabSheet1 = named(new QWidget, "TabSheet1");
    auto* checks = row(TabSheet1, 6, 6);
    checks->addWidget(actionButton(TabSheet1, doppelCheck, 100, 25), 0, Qt::AlignTop);
    checks->addWidget(actionButton(TabSheet1, syntaxCheck, 100, 25), 0, Qt::AlignTop);
    checks->addStretch(1);
    return TabSheet1;
}

QWidget* TForm1::createExportPage()
{
    TabSheet3 = named(new QWidget, "TabSheet3");
    auto* exports = row(TabSheet3, 4, 6);
    exportModules = named(new QListWidget, "exportModules", "Vorhandene Export-Plugins");
    exports->addWidget(exportModules, 1);
    Button6 = actionButton(TabSheet3, exportAction, 100, 25);
    Button6->setObjectName("Button6");
    exports->addWidget(Button6, 0, Qt::AlignTop);
    return TabSheet3;
}

QWidget* TForm1::createInfoPage()
{
    TabSheet2 = named(new QWidget, "TabSheet2");
    auto* info = column(TabSheet2, 0);
    infoBlockModel = new InfoBlockModel(pack.infoBlock, this);
    lpInfoblock = named(new QTableView, "lpInfoblock", "Optionen für das Languagepack festlegen");
    lpInfoblock->setModel(infoBlockModel);
    lpInfoblock->setItemDelegate(new Windows1252Delegate(lpInfoblock));
    lpInfoblock->verticalHeader()->hide();
    // Compact rows, so that the five rows fit the low page without scrolling.
    const int rowHeight = lpInfoblock->fontMetrics().height() + 1;
    lpInfoblock->verticalHeader()->setMinimumSectionSize(rowHeight);
    lpInfoblock->verticalHeader()->setDefaultSectionSize(rowHeight);
    lpInfoblock->horizontalHeader()->setFixedHeight(rowHeight);
    lpInfoblock->setFrameShape(QFrame::NoFrame);
    lpInfoblock->setColumnWidth(0, 150);
    lpInfoblock->setColumnWidth(1, 472);
    lpInfoblock->horizontalHeader()->setStretchLastSection(true);
    lpInfoblock->setSelectionMode(QAbstractItemView::SingleSelection);
    lpInfoblock->setEditTriggers(QAbstractItemView::AllEditTriggers);
    info->addWidget(lpInfoblock);
    return TabSheet2;
}

QWidget* TForm1::createSearchPage()
{
    TabSheet4 = named(new QWidget, "TabSheet4");
    auto* search = row(TabSheet4, 4, 6);
    auto* searchControls = new QVBoxLayout;
    suchbegriff = named(new QLineEdit, "suchbegriff", "Bitte Suchtext eingeben");
    WidgetText::keepWindows1252(suchbegriff);
    searchControls->addWidget(suchbegriff);
    auto* searchButtons = new QHBoxLayout;
    searchButtons->addWidget(actionButton(TabSheet4, suchAction, 75, 25));
    searchOnType = named(new QCheckBox, "searchOnType");
    bindToAction(searchOnType, changeSearchType);
    searchButtons->addWidget(searchOnType);
    searchButtons->addStretch(1);
    searchControls->addLayout(searchButtons);
    searchControls->addStretch(1);
    search->addLayout(searchControls, 1);
    // The results come sorted from the search; the list shows them as they are.
    ergenbisse = named(new SearchResultList(searchResults), "ergenbisse", "Suchergebnisse");
    search->addWidget(ergenbisse, 1);
    return TabSheet4;
}

void TForm1::createMenu()
{
    QMenu* packMenu = menuBar()->addMenu("Languagepack");
    packMenu->setObjectName("packMenu");
    packMenu->addAction(loadAction);
    packMenu->addAction(newFile);
    packMenu->addAction(saveAction);
    packMenu->addAction(saveasAction);
    packMenu->addAction(closeAction);
    packMenu->addSeparator();
    packMenu->addAction(exitAction);
    QMenu* helpMenu = menuBar()->addMenu("Hilfe");
    helpMenu->setObjectName("helpMenu");
    helpMenu->addAction(aboutAction);
}
