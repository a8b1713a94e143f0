#include "export_varnex.h"

#include "ExportPlugin.h"

namespace {

ExportModul* createModule()
{
    return new ExportModul_VARNEX;
}

std::string doubleBackslashes(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            result += '\\';
        result += c;
    }
    return result;
}

} // namespace

const ExportPlugin exportPlugin = {"Varnex", "po", "VarNex-Dateien (*.po)|*.po", createModule};

// gettext reads backslash escapes, so a backslash of the text is doubled before the line
// breaks and quotes are escaped; otherwise C:\temp would come back with a TAB in it.
std::string ExportModul_VARNEX::poString(std::string_view text) const
{
    return htmlEncoder->escapeQuotes(htmlEncoder->escapeLinebreaks(doubleBackslashes(text)));
}

// The preserve-line-breaks flag has no effect here: a PO string holds no raw line break
// that "<br>" could mark.
void ExportModul_VARNEX::startExport()
{
    std::string text = "msgid \"\"\n"
                       "msgstr \"\"\n"
                       "\"Project-Id-Version: " +
                       poString(fileName) +
                       " 1.0\\n\"\n"
                       "\"MIME-Version: 1.0\\n\"\n"
                       "\"Content-Type: text/plain; charset=iso_8859_1\\n\"\n"
                       "\"Content-Transfer-Encoding: 8bit\\n\"\n"
                       "\n";
    const int n = keys->count();
    for (int i = 0; i < n; ++i) {
        const std::string key = keys->nameAt(i);
        // The empty msgid is the catalogue's header.
        if (key.empty())
            continue;
        std::string t = keys->valueAt(i);
        if (isOn(*unixFlags, key))
            t = toUnixLineBreaks(t);
        if (isOn(*htmlFlags, key))
            t = htmlEncoder->encodeEntities(t);
        text += "msgid \"";
        text += poString(key);
        text += "\"\nmsgstr \"";
        text += poString(t);
        text += "\"\n\n";
    }
    writeExportFile(text);
}
