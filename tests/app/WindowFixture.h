#pragma once

#include "FakeUserDialogs.h"
#include "TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <memory>

// A main window with scripted dialogs, a fixed clock and the program folder of the tests.
class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<TForm1>(dialogs, QDir::currentPath());
        window->pack.clock = [] { return LocalDateTime{2026, 12, 7, 9, 5}; };
    }

    template <typename T = QWidget> T* control(const char* name) const
    {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* action(const char* name) const { return control<QAction>(name); }
    std::string status() const { return window->statusBar->text().toStdString(); }

    FakeUserDialogs dialogs;
    std::unique_ptr<TForm1> window;
};
