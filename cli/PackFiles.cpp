#include "PackFiles.h"

#include "FileError.h"
#include "LanguagePack.h"

#include <iostream>
#include <stdexcept>

void writePack(LanguagePack& pack, const std::string& file)
{
    switch (pack.write(file)) {
    case WriteOutcome::Written:
        return;
    case WriteOutcome::NoTree:
        throw FileError(file, FileError::Step::use, "Ooops...\nKein Languagepack geladen");
    case WriteOutcome::NoRoot:
        throw FileError(file, FileError::Step::use, "Ooops...\nSpeichern fehlgeschlagen...");
    }
}

void warnOfReplacedCharacters(const LanguagePack& pack, const std::string& file)
{
    if (pack.charactersReplaced())
        std::cerr << "korvel-cli: Warnung: "
                  << FileError::sentence(file, FileError::Step::use, pack.replacedCharactersNote()) << '\n';
}

void refuseReplacedCharacters(const LanguagePack& pack, const std::string& file)
{
    if (pack.charactersReplaced())
        throw FileError(file, FileError::Step::use,
                        pack.replacedCharactersNote() +
                            " Der Languagepack wird nicht geschrieben, sonst gingen sie verloren.");
}
