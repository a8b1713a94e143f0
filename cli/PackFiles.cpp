#include "PackFiles.h"

#include "LanguagePack.h"

#include <iostream>
#include <stdexcept>

void writePack(LanguagePack& pack, const std::string& file)
{
    switch (pack.write(file)) {
    case WriteOutcome::Written:
        return;
    case WriteOutcome::NoTree:
        throw std::runtime_error("Datei \"" + file + "\": Ooops...\nKein Languagepack geladen");
    case WriteOutcome::NoRoot:
        throw std::runtime_error("Datei \"" + file + "\": Ooops...\nSpeichern fehlgeschlagen...");
    }
}

void warnOfReplacedCharacters(const LanguagePack& pack, const std::string& file)
{
    if (pack.charactersReplaced())
        std::cerr << "korvel-cli: Warnung: Datei \"" << file << "\": " << pack.replacedCharactersNote()
                  << '\n';
}

void refuseReplacedCharacters(const LanguagePack& pack, const std::string& file)
{
    if (pack.charactersReplaced())
        throw std::runtime_error("Datei \"" + file + "\": " + pack.replacedCharactersNote() +
                                 " Der Languagepack wird nicht geschrieben, sonst gingen sie verloren.");
}
