#include "ProgramArguments.h"

namespace {

const char* const usage = "Aufruf: Korvel [DATEI]";

std::string helpText()
{
    return std::string(usage) +
           "\n"
           "Korvel bearbeitet Languagepacks: XML-Dateien, die Übersetzungs-Schlüsseln einen Text,\n"
           "einen Kommentar und drei Schalter für die Ausgabe zuordnen, und exportiert sie über\n"
           "Plugins als PO-Katalog (Varnex) oder PHP-Datei (php).\n"
           "\n"
           "Ohne DATEI startet Korvel ohne Languagepack. Mit DATEI lädt es diesen Languagepack\n"
           "gleich nach dem Start, wie \"Languagepack laden\".\n"
           "\n"
           "Optionen:\n"
           "  -h, --help     diese Hilfe zeigen und beenden\n"
           "  -V, --version  die Version zeigen und beenden\n"
           "\n"
           "Rückgabewert: 0, wenn das Fenster geschlossen wurde; 2 bei falschem Aufruf.\n";
}

ProgramArguments wrong(const std::string& why)
{
    return {ProgramArguments::Kind::Wrong, std::nullopt,
            "Korvel: " + why + ". " + usage + " (mehr mit: Korvel --help)"};
}

} // namespace

ProgramArguments ProgramArguments::parse(const std::vector<std::string>& arguments)
{
    std::optional<std::string> file;
    bool optionsEnd = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnd && (argument == "-h" || argument == "--help"))
            return {Kind::Help, std::nullopt, helpText()};
        if (!optionsEnd && (argument == "-V" || argument == "--version"))
            return {Kind::Version, std::nullopt, std::string("Korvel ") + KORVEL_VERSION + "\n"};
        if (!optionsEnd && argument == "--") {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && argument.size() > 1 && argument.front() == '-')
            return wrong("unbekannte Option \"" + argument + "\"");
        if (file)
            return wrong("zu viele Argumente");
        file = argument;
    }
    return {Kind::Start, file, {}};
}
