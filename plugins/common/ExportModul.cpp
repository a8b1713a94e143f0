#include "ExportModul.h"

#include "Windows1252.h"

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

// One entry per name, at the place the name first occurs, with the value of its last entry;
// the target is not cleared, so repeated calls accumulate and the later value wins. Setting
// every entry in turn gives exactly that without looking each name up in the source: a
// later entry of a name replaces the earlier one in place, name case included, and a table
// holds no entry with an empty value that could remove a name.
void ExportModul::copyTable(const THashedStringList& source, THashedStringList& target)
{
    const int n = source.count();
    for (int i = 0; i < n; ++i)
        target.setValue(source.nameAt(i), source.valueAt(i));
}

bool ExportModul::FlagReader::isOn(const std::string& key)
{
    int i = next;
    if (i >= flags.count() || !isKey(flags.nameAt(i), key)) {
        i = flags.indexOfName(key);
        if (i < 0)
            return false;
    }
    next = i + 1;
    return flags.valueAt(i) == "1";
}

// The tables almost always spell a key alike, so the exact comparison settles most cases.
bool ExportModul::FlagReader::isKey(const std::string& name, const std::string& key)
{
    return name == key || Windows1252::sameText(name, key);
}

bool ExportModul::hasEntityBytes(std::string_view text)
{
    for (char c : text)
        if (c == '"' || c == '&' || c == '<' || c == '>' || static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

std::string ExportModul::toUnixLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t run = 0;
    for (std::size_t cr; (cr = text.find('\r', run)) != std::string_view::npos; run = cr + 1) {
        result.append(text.data() + run, cr - run);
        // The LF of a CR LF pair comes with the next run.
        if (cr + 1 == text.size() || text[cr + 1] != '\n')
            result += '\n';
    }
    result.append(text.data() + run, text.size() - run);
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
