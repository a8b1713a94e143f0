#include "export_varnex.h"

#include "ExportPlugin.h"
#include "rewriteBytes.h"

namespace {

ExportModul* createModule()
{
    return new ExportModul_VARNEX;
}

} // namespace

const ExportPlugin exportPlugin = {"Varnex", "po", "VarNex-Dateien (*.po)|*.po", createModule};

// gettext reads backslash escapes, so a backslash of the text is doubled before the line
// breaks and quotes are escaped; otherwise C:\temp would come back with a TAB in it. The
// three steps are taken in one pass straight into `out`: none of them brings in a byte that
// a later one escapes, so each byte's escape is that of the one step that picks it.
void ExportModul_VARNEX::appendPoString(std::string& out, std::string_view text) const
{
    appendRewrittenAnyOf<'\\', '"', '\r', '\n'>(out, text, [](std::string& to, char c) {
        to += c == '\\' ? "\\\\" : c == '"' ? "\\\"" : c == '\n' ? "\\n" : "\\r";
    });
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
            "\"Content-Type: text/plain; charset=CP1252\\n\"\n"
            "\"Content-Transfer-Encoding: 8bit\\n\"\n"
            "\n";
    forEachEntry([this, &text](const Entry& entry) {
        // The empty msgid is the catalogue's header.
        if (entry.key.empty())
            return;
        text += "msgid \"";
        appendPoString(text, entry.key);
        text += "\"\nmsgstr \"";
        appendPoString(text, entry.text);
        text += "\"\n\n";
    });
    writeExportFile(text);
}
