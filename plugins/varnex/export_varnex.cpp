#include "export_varnex.h"

#include "ExportPlugin.h"
#include "rewriteBytes.h"

namespace {

ExportModul* createModule()
{
    return new ExportModul_VARNEX;
}

std::string doubleBackslashes(std::string_view text)
{
    return rewriteBytes(
        text, [](char c) { return c == '\\'; }, [](std::string& out, char) { out += "\\\\"; });
}

} // namespace

const ExportPlugin exportPlugin = {"Varnex", "po", "VarNex-Dateien (*.po)|*.po", createModule};

// gettext reads backslash escapes, so a backslash of the text is doubled before the line
// breaks and quotes are escaped; otherwise C:\temp would come back with a TAB in it.
void ExportModul_VARNEX::appendPoString(std::string& out, std::string_view text) const
{
    if (!containsAnyOf<'\\', '"', '\r', '\n'>(text))
        out += text;
    else
        out += htmlEncoder->escapeQuotes(htmlEncoder->escapeLinebreaks(doubleBackslashes(text)));
}

// The preserve-line-breaks flag has no effect here: a PO string holds no raw line break
// that "<br>" could mark.
void ExportModul_VARNEX::startExport()
{
    std::string text = "msgid \"\"\n"
                       "msgstr \"\"\n"
                       "\"Project-Id-Version: ";
    appendPoString(text, fileName);
    text += " 1.0\\n\"\n"
            "\"MIME-Version: 1.0\\n\"\n"
            "\"Content-Type: text/plain; charset=iso_8859_1\\n\"\n"
            "\"Content-Transfer-Encoding: 8bit\\n\"\n"
            "\n";
    FlagReader html(*htmlFlags);
    FlagReader unixEnds(*unixFlags);
    const int n = keys->count();
    for (int i = 0; i < n; ++i) {
        const std::string key = keys->nameAt(i);
        // The empty msgid is the catalogue's header.
        if (key.empty())
            continue;
        std::string t = keys->valueAt(i);
        if (unixEnds.isOn(key) && t.find('\r') != std::string::npos)
            t = toUnixLineBreaks(t);
        if (html.isOn(key) && hasEntityBytes(t))
            t = htmlEncoder->encodeEntities(t);
        text += "msgid \"";
        appendPoString(text, key);
        text += "\"\nmsgstr \"";
        appendPoString(text, t);
        text += "\"\n\n";
    }
    writeExportFile(text);
}
