#pragma once

#include <QTest>
#include <QWidget>

// Types the text into the widget one character at a time, as key presses carrying the
// character; unlike QTest::keyClicks it handles characters outside Latin-1.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const char32_t cp : text.toUcs4()) {
        const QString one = QString::fromUcs4(&cp, 1);
        if (cp == '\n')
            QTest::keyClick(widget, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, one, Qt::NoModifier);
    }
}
