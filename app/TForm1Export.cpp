#include "TForm1.h"

#include "ExportHost.h"
#include "ExportRun.h"
#include "UserDialogs.h"
#include "WidgetText.h"
#include "Windows1252.h"

#include <QAction>
#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>

#include <functional>
#include <optional>

namespace {

// A double click of the left button anywhere in the list, on a line or beside the lines, as
// the list box of the export page reports it; the view's own handling goes on afterwards.
class DoubleClickFilter : public QObject
{
public:
    DoubleClickFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), onDoubleClick(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            onDoubleClick();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onDoubleClick;
};

} // namespace

void TForm1::connectExport()
{
    runOn(exportAction, &TForm1::exportActionExecute);
    exportModules->viewport()->installEventFilter(
        new DoubleClickFilter(exportModules, [this] { run(&TForm1::exportModulesDblClick); }));
}

void TForm1::scanForPlugins()
{
    for (const FoundPlugin& plugin : findPlugins(programFolder.toStdString())) {
        PluginList.setValue(plugin.exportName, plugin.fileName);
        exportModules->addItem(WidgetText::fromDocument(plugin.exportName));
    }
}

void TForm1::exportActionExecute()
{
    const QList<QListWidgetItem*> selected = exportModules->selectedItems();
    if (selected.isEmpty()) {
        showInfo("Bitte ein Export-Modul auswählen");
        return;
    }
    const std::string exportName = WidgetText::toDocument(selected.first()->text());
    const ExportOutcome outcome =
        exportThroughPlugin(programFolder.toStdString(), PluginList, exportName, pack,
                            [this](const ExportFileType& type) { return chooseExportTarget(type); });
    if (outcome == ExportOutcome::NothingToLoad)
        showInfo("Oops: Fehler beim Laden des Plugins... :(");
}

// The grid's info values count for the proposed name, so they are taken over first.
std::optional<std::string> TForm1::chooseExportTarget(const ExportFileType& type)
{
    SaveDialog1.title = Windows1252::toUtf8(type.title);
    SaveDialog1.defaultExt = Windows1252::toUtf8(type.extension);
    SaveDialog1.filter = Windows1252::toUtf8(type.filter);
    pack.infoBlockToValues();
    SaveDialog1.fileName = Windows1252::toUtf8(pack.proposedFileName(type.extension));
    if (!dialogs.saveFile(SaveDialog1))
        return std::nullopt;
    return SaveDialog1.fileName;
}

void TForm1::exportModulesDblClick()
{
    exportActionExecute();
}
