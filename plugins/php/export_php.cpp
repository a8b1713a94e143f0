#include "export_php.h"

#include "ExportPlugin.h"
#include "rewriteBytes.h"

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
    return rewriteBytes(
        text, [](char c) { return c == '\\' || c == '$'; },
        [](std::string& out, char c) {
            out += '\\';
            out += c;
        });
}

} // namespace

const ExportPlugin exportPlugin = {"PHP", "php", "PHP-Dateien (*.php, *.phps, *.inc)|*.php;*.phps;*.inc",
                                   createModule};

// Quotes, backslashes and dollar signs escaped; see escapeBackslashesAndDollars.
void ExportModul_PHP::appendPhpString(std::string& out, std::string_view text) const
{
    if (!containsAnyOf<'\\', '$', '"'>(text))
        out += text;
    else
        out += htmlEncoder->escapeQuotes(escapeBackslashesAndDollars(text));
}

// Line breaks stay raw inside the literals; the preserve-line-breaks flag marks them with
// "<br>", and only together with the HTML flag.
void ExportModul_PHP::startExport()
{
    std::string text = "<?php \n";
    forEachEntry([this, &text](const Entry& entry) {
        text += "$translation[ \"";
        appendPhpString(text, entry.key);
        text += "\" ] = \"";
        if (entry.html && entry.breaks && containsAnyOf<'\r', '\n'>(entry.text)) {
            std::string literal;
            appendPhpString(literal, entry.text);
            text += htmlEncoder->insertHtmlBreaks(literal);
        } else {
            appendPhpString(text, entry.text);
        }
        text += "\";\n";
    });
    text += "\n?>";
    writeExportFile(text);
}
