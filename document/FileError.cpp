#include "FileError.h"

FileError::FileError(std::string path, Step step, std::string cause)
    : std::runtime_error(sentence(path, step, cause)), file(std::move(path)), doing(step),
      reason(std::move(cause))
{
}

FileError::~FileError() = default;

FileError FileError::because(std::string cause) const
{
    return FileError(file, doing, std::move(cause));
}

std::string FileError::sentence(const std::string& path, Step step, const std::string& cause)
{
    std::string out = "Datei \"" + path + "\"";
    // A sentence that ends with a full stop takes the cause as a sentence of its own.
    auto then = [&out, &cause](const char* what) {
        out += what;
        if (!cause.empty())
            out += " " + cause;
    };
    switch (step) {
    case Step::read:
        then(" kann nicht gelesen werden.");
        break;
    case Step::detectEncoding:
        out += " " + cause;
        break;
    case Step::parse:
        out += " ist kein gültiges XML: " + cause;
        break;
    case Step::save:
        then(" kann nicht gespeichert werden.");
        break;
    case Step::create:
        then(" kann nicht erstellt werden.");
        break;
    case Step::loadLibrary:
        then(" ist keine ladbare Bibliothek.");
        break;
    case Step::use:
        out += ": " + cause;
        break;
    }
    return out;
}
