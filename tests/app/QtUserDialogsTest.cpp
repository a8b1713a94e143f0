#include "QtUserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `answer` on the modal dialog as soon as it is shown.
void whenShown(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        answer(modal);
    });
}

QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    for (QAbstractButton* button : box->buttons())
        texts << button->text();
    return texts;
}

void clickButton(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text)
            button->click();
}

TEST(QtUserDialogsTest, MessageBoxesHaveTheirGermanButtons)
{
    QtUserDialogs dialogs;
    QStringList seen;
    whenShown([&seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        seen << box->windowTitle() << buttonTexts(box);
        clickButton(box, "OK");
    });
    dialogs.information("Hallo");
    EXPECT_EQ(seen, QStringList({"Informationen", "OK"}));

    const std::pair<const char*, UserDialogs::Answer> answers[] = {
        {"Ja", UserDialogs::Answer::Ja},
        {"Nein", UserDialogs::Answer::Nein},
        {"Abbrechen", UserDialogs::Answer::Abbrechen}};
    for (const auto& [text, answer] : answers) {
        seen.clear();
        const QString click = text;
        whenShown([&seen, click](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            seen = buttonTexts(box);
            clickButton(box, click);
        });
        EXPECT_EQ(dialogs.warning("Frage?"), answer);
        seen.sort();
        EXPECT_EQ(seen, QStringList({"Abbrechen", "Ja", "Nein"}));
    }

    whenShown([](QWidget* w) { clickButton(qobject_cast<QMessageBox*>(w), "Nein"); });
    EXPECT_FALSE(dialogs.confirmation("Sicher?"));
    whenShown([](QWidget* w) { clickButton(qobject_cast<QMessageBox*>(w), "Ja"); });
    EXPECT_TRUE(dialogs.confirmation("Sicher?"));
}

TEST(QtUserDialogsTest, SaveDialogShowsItsSettingsAndAppendsTheDefaultExtension)
{
    QTemporaryDir folder;
    QtUserDialogs dialogs;
    FileDialogSettings settings{"Speichern als...", "XML-Languagepack (*.xml)|*.xml", "xml",
                                (folder.path() + "/vorschlag.xml").toStdString()};
    QString title;
    QStringList filters;
    QStringList proposed;
    whenShown([&, path = folder.path()](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        proposed = dialog->selectedFiles();
        dialog->selectFile(path + "/neu");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ASSERT_TRUE(dialogs.saveFile(settings));
    EXPECT_EQ(title, "Speichern als...");
    EXPECT_EQ(filters, QStringList{"XML-Languagepack (*.xml)"});
    EXPECT_EQ(proposed, QStringList{folder.path() + "/vorschlag.xml"});
    EXPECT_EQ(settings.fileName, (folder.path() + "/neu.xml").toStdString());

    whenShown([](QWidget* w) { qobject_cast<QFileDialog*>(w)->reject(); });
    EXPECT_FALSE(dialogs.saveFile(settings));
    EXPECT_EQ(settings.fileName, (folder.path() + "/neu.xml").toStdString());
}

} // namespace
