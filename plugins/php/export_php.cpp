#include "export_php.h"

#include "ExportPlugin.h"

namespace {

ExportModul* createModule()
{
    return new ExportModul_PHP;
}

// Applications include the file as code: inside a double-quoted literal a backslash starts
// an escape and a dollar sign a variable, so both are escaped and every literal evaluates
// to exactly its text. Double quotes are left to escapeQuotes.
std::string escapeBackslashesAndDollars(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '$')
            result += '\\';
        result += c;
    }
    return result;
}

} // namespace

const ExportPlugin exportPlugin = {"PHP", "php", "PHP-Dateien (*.php, *.phps, *.inc)|*.php;*.phps;*.inc",
                                   createModule};

// Line breaks stay raw inside the literals; with the HTML flag the preserve-line-breaks
// flag marks each of them with "<br>".
void ExportModul_PHP::startExport()
{
    std::string text = "<?php \n";
    const int n = keys->count();
    for (int i = 0; i < n; ++i) {
        const std::string key = keys->nameAt(i);
        std::string t = keys->valueAt(i);
        if (isOn(*unixFlags, key))
            t = toUnixLineBreaks(t);
        if (isOn(*htmlFlags, key)) {
            t = htmlEncoder->escapeQuotes(escapeBackslashesAndDollars(htmlEncoder->encodeEntities(t)));
            if (isOn(*breakFlags, key))
                t = htmlEncoder->insertHtmlBreaks(t);
        } else {
            t = htmlEncoder->escapeQuotes(escapeBackslashesAndDollars(t));
        }
        text += "$translation[ \"";
        text += htmlEncoder->escapeQuotes(escapeBackslashesAndDollars(key));
        text += "\" ] = \"";
        text += t;
        text += "\";\n";
    }
    text += "\n?>";
    writeExportFile(text);
}
