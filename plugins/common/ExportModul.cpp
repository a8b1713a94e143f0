#include "ExportModul.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string absolutePath(const std::string& name)
{
    if (name.empty())
        return name;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error);
    return (error ? std::filesystem::path(name) : path).lexically_normal().string();
}

[[noreturn]] void cannotCreate(const std::string& fileName, int error)
{
    throw std::runtime_error("Datei \"" + absolutePath(fileName) + "\" kann nicht erstellt werden. " +
                             std::strerror(error));
}

} // namespace

ExportModul::ExportModul()
    : keys(std::make_unique<THashedStringList>()), htmlFlags(std::make_unique<THashedStringList>()),
      breakFlags(std::make_unique<THashedStringList>()), unixFlags(std::make_unique<THashedStringList>()),
      htmlEncoder(std::make_unique<HTML_Encoder>())
{
}

// The module releases its parts in field order.
ExportModul::~ExportModul()
{
    keys.reset();
    htmlFlags.reset();
    breakFlags.reset();
    unixFlags.reset();
    htmlEncoder.reset();
}

HResult ExportModul::queryInterface(const TGUID& iid, void** object)
{
    if (iid == IID_IGenericExport) {
        *object = static_cast<IGenericExport*>(this);
        addRef();
        return S_OK;
    }
    return TInterfacedObject::queryInterface(iid, object);
}

void ExportModul::setHashlistKeys(const THashedStringList& list)
{
    copyTable(list, *keys);
}

void ExportModul::setHashlistHTML(const THashedStringList& list)
{
    copyTable(list, *htmlFlags);
}

void ExportModul::setHashlistBreaks(const THashedStringList& list)
{
    copyTable(list, *breakFlags);
}

void ExportModul::setHashlistLinebreaks(const THashedStringList& list)
{
    copyTable(list, *unixFlags);
}

void ExportModul::setFileName(const std::string& name)
{
    fileName = name;
}

void ExportModul::destroy()
{
    delete this;
}

// One entry per name, at the place the name first occurs, with the value the source gives
// for it (its last entry); names with an empty value are left out or removed. The target is
// not cleared, so repeated calls accumulate.
void ExportModul::copyTable(const THashedStringList& source, THashedStringList& target)
{
    const int n = source.count();
    for (int i = 0; i < n; ++i) {
        const std::string name = source.nameAt(i);
        target.setValue(name, source.value(name));
    }
}

bool ExportModul::isOn(const THashedStringList& flags, std::string_view key)
{
    return flags.value(key) == "1";
}

std::string ExportModul::toUnixLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            result += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n')
            result += '\n';
    }
    return result;
}

void ExportModul::writeExportFile(std::string_view text) const
{
    // Root opens read-only files for writing as well; a target without any write permission
    // is refused so that a read-only file stays untouched for everyone.
    struct stat status
    {
    };
    if (!fileName.empty() && ::stat(fileName.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        cannotCreate(fileName, EACCES);

    const int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        cannotCreate(fileName, errno);
    const ssize_t written = ::write(fd, text.data(), text.size());
    const int writeError = written < 0 ? errno : ENOSPC;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (written != static_cast<ssize_t>(text.size()))
        cannotCreate(fileName, writeError);
    if (!closed)
        cannotCreate(fileName, closeError);
}
