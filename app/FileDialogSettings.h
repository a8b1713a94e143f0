#pragma once

#include <QStringList>

#include <string>
#include <string_view>

// The settings of an open or save dialog. They persist between uses: whatever a user of the
// dialog sets, and the file name chosen last, stay until someone changes them. All texts UTF-8.
struct FileDialogSettings
{
    std::string title;
    // "Description|pattern" pairs joined by "|", for example "Languagepacks (*.xml)|*.xml".
    std::string filter;
    // Appended (after a ".") to a chosen name that has no extension; empty: nothing appended.
    std::string defaultExt;
    // The proposed name before the dialog is shown; the chosen path after it was confirmed.
    std::string fileName;
};

// The filter's pairs as Qt name filters: "Languagepacks (*.xml)|*.xml" gives
// "Languagepacks (*.xml)"; a description without its patterns gets them appended in
// parentheses, and ";" between patterns becomes a space.
QStringList qtNameFilters(std::string_view filter);

// The path with "." + extension appended when its file name has no extension of its own.
std::string withDefaultExtension(const std::string& path, std::string_view extension);
