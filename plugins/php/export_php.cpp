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
    FlagReader html(*htmlFlags);
    FlagReader breaks(*breakFlags);
    FlagReader unixEnds(*unixFlags);
    const int n = keys->count();
    for (int i = 0; i < n; ++i) {
        const std::string key = keys->nameAt(i);
        std::string t = keys->valueAt(i);
        const bool htmlOn = html.isOn(key);
        const bool breaksOn = breaks.isOn(key);
        if (unixEnds.isOn(key) && t.find('\r') != std::string::npos)
            t = toUnixLineBreaks(t);
        if (htmlOn && hasEntityBytes(t))
            t = htmlEncoder->encodeEntities(t);
        text += "$translation[ \"";
        appendPhpString(text, key);
        text += "\" ] = \"";
        if (htmlOn && breaksOn && containsAnyOf<'\r', '\n'>(t)) {
            std::string literal;
            appendPhpString(literal, t);
            text += htmlEncoder->insertHtmlBreaks(literal);
        } else {
            appendPhpString(text, t);
        }
        text += "\";\n";
    }
    text += "\n?>";
    writeExportFile(text);
}
