#include "SystemError.h"

#include <cerrno>
#include <cstring>

namespace SystemError {

std::string text(int error)
{
    switch (error) {
    case ENOENT:
        return "Datei oder Ordner nicht gefunden.";
    case EACCES:
    case EPERM:
        return "Keine Berechtigung.";
    case EROFS:
        return "Das Dateisystem ist schreibgeschützt.";
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return "Kein Platz mehr auf dem Datenträger.";
    case EISDIR:
        return "Das ist ein Ordner, keine Datei.";
    case ENOTDIR:
        return "Ein Teil des Pfades ist kein Ordner.";
    default:
        return std::strerror(error);
    }
}

} // namespace SystemError
