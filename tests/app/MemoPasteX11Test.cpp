// Pastes into the memos on a real X server (Xvfb): with nobody owning the clipboard, Qt's
// text control ended the program here, which the offscreen platform never shows.
#include "WindowFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

#include "TypeText.h"

namespace {

class MemoPasteX11Test : public WindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        WindowFixture::SetUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Nobody owns the clipboard or the selection once this program gives them up.
    static void dropClipboard()
    {
        QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
        QGuiApplication::clipboard()->clear(QClipboard::Selection);
        QTest::qWait(50);
    }

    // Opens the memo's context menu and clicks its "Einfügen" when it is enabled; returns
    // whether it was.
    static bool pasteFromContextMenu(QPlainTextEdit* memo)
    {
        bool enabled = false;
        QTimer::singleShot(200, [&enabled] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            for (QAction* action : menu->actions())
                if (action->objectName() == "edit-paste" && action->isEnabled()) {
                    enabled = true;
                    action->trigger();
                }
            menu->close();
        });
        const QPoint inside = memo->viewport()->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, memo->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(memo->viewport(), &event);
        return enabled;
    }

    static void pasteEveryWay(QPlainTextEdit* memo)
    {
        QTest::mouseClick(memo->viewport(), Qt::LeftButton);
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Insert, Qt::ShiftModifier);
        QTest::mouseClick(memo->viewport(), Qt::MiddleButton);
    }
};

TEST_F(MemoPasteX11Test, PasteWithoutClipboardOwnerChangesNothing)
{
    for (QPlainTextEdit* memo :
         {static_cast<QPlainTextEdit*>(window->lpValue), static_cast<QPlainTextEdit*>(window->lpComment)}) {
        memo->setPlainText("Hallo");
        dropClipboard();
        pasteEveryWay(memo);
        EXPECT_FALSE(pasteFromContextMenu(memo)) << "nothing to paste";
        EXPECT_EQ(memo->toPlainText(), "Hallo") << memo->objectName().toStdString();
    }
}

TEST_F(MemoPasteX11Test, PastedTextMeetsTheWindows1252Rule)
{
    window->lpValue->clear();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("5 € – Cześć"));
    QTest::mouseClick(window->lpValue->viewport(), Qt::LeftButton);
    QTest::keyClick(window->lpValue, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window->lpValue->toPlainText(), QString::fromUtf8("5 € – Czesc"));
    EXPECT_EQ(status(), "Übersetzung geändert (nicht gespeichert: )");
    EXPECT_TRUE(pasteFromContextMenu(window->lpValue));
    EXPECT_EQ(window->lpValue->toPlainText(), QString::fromUtf8("5 € – Czesc5 € – Czesc"));
    dropClipboard();
}

} // namespace
