#include "QtUserDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString qt(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void QtUserDialogs::information(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, "Informationen", qt(text), QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton("OK", QMessageBox::AcceptRole));
    box.exec();
}

void QtUserDialogs::error(const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, "Fehler", qt(text), QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton("OK", QMessageBox::AcceptRole));
    box.exec();
}

UserDialogs::Answer QtUserDialogs::warning(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, "Warnung", qt(text), QMessageBox::NoButton, parent);
    QPushButton* ja = box.addButton("Ja", QMessageBox::YesRole);
    QPushButton* nein = box.addButton("Nein", QMessageBox::NoRole);
    QPushButton* abbrechen = box.addButton("Abbrechen", QMessageBox::RejectRole);
    box.setDefaultButton(ja);
    box.setEscapeButton(abbrechen);
    box.exec();
    if (box.clickedButton() == ja)
        return Answer::Ja;
    if (box.clickedButton() == nein)
        return Answer::Nein;
    return Answer::Abbrechen;
}

bool QtUserDialogs::confirmation(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, "Bestätigung", qt(text), QMessageBox::NoButton, parent);
    QPushButton* ja = box.addButton("Ja", QMessageBox::YesRole);
    QPushButton* nein = box.addButton("Nein", QMessageBox::NoRole);
    box.setDefaultButton(ja);
    box.setEscapeButton(nein);
    box.exec();
    return box.clickedButton() == ja;
}

bool QtUserDialogs::openFile(FileDialogSettings& dialog)
{
    return runFileDialog(dialog, false);
}

bool QtUserDialogs::saveFile(FileDialogSettings& dialog)
{
    return runFileDialog(dialog, true);
}

bool QtUserDialogs::runFileDialog(FileDialogSettings& dialog, bool save)
{
    QFileDialog fileDialog(parent, qt(dialog.title));
    fileDialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fileDialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    fileDialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = qtNameFilters(dialog.filter);
    if (!filters.isEmpty())
        fileDialog.setNameFilters(filters);
    fileDialog.setDefaultSuffix(qt(dialog.defaultExt));
    // A proposal with a folder opens there; a bare name opens in the current folder.
    const QString proposal = qt(dialog.fileName);
    if (!proposal.isEmpty()) {
        const QFileInfo info(proposal);
        if (proposal.contains('/'))
            fileDialog.setDirectory(info.absolutePath());
        fileDialog.selectFile(info.fileName());
    }
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return false;
    dialog.fileName =
        withDefaultExtension(fileDialog.selectedFiles().first().toStdString(), dialog.defaultExt);
    return true;
}
