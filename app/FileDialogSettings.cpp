#include "FileDialogSettings.h"

#include <QRegularExpression>

QStringList qtNameFilters(std::string_view filter)
{
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QStringList patternList = parts[i + 1].split(';', Qt::SkipEmptyParts);
        const QString patterns = patternList.join(' ').trimmed();
        // Qt reads the patterns from the description's last parentheses. A description that
        // shows the same patterns there already ("PHP-Dateien (*.php, *.phps, *.inc)") gets
        // them in Qt's form instead of a second time.
        const qsizetype open = description.lastIndexOf('(');
        if (description.endsWith(')') && open >= 0) {
            QStringList shown = description.mid(open + 1, description.size() - open - 2)
                                    .split(QRegularExpression("[,; ]+"), Qt::SkipEmptyParts);
            if (shown == patternList)
                description.truncate(open);
        }
        filters << description.trimmed() + " (" + patterns + ')';
    }
    return filters;
}

std::string withDefaultExtension(const std::string& path, std::string_view extension)
{
    if (extension.empty())
        return path;
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name.find('.') != std::string_view::npos)
        return path;
    return path + "." + std::string(extension);
}
