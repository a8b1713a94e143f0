#include "FileDialogSettings.h"

QStringList qtNameFilters(std::string_view filter)
{
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ').trimmed();
        // Qt reads the patterns from the description's last parentheses, so a description
        // that already shows them is used as it is.
        if (description.endsWith(')') && description.contains('(' + patterns + ')'))
            filters << description;
        else
            filters << description + " (" + patterns + ')';
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
