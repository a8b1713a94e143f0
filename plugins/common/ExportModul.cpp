#include "ExportModul.h"

#include "FileError.h"
#include "KeyRecord.h"
#include "LineBreaks.h"
#include "SafeFile.h"
#include "Windows1252.h"

#include <filesystem>

namespace {

std::string absolutePath(const std::string& name)
{
    if (name.empty())
        return name;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error);
    return (error ? std::filesystem::path(name) : path).lexically_normal().string();
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
    keys->copyFrom(list);
}

void ExportModul::setHashlistHTML(const THashedStringList& list)
{
    htmlFlags->copyFrom(list);
}

void ExportModul::setHashlistBreaks(const THashedStringList& list)
{
    breakFlags->copyFrom(list);
}

void ExportModul::setHashlistLinebreaks(const THashedStringList& list)
{
    unixFlags->copyFrom(list);
}

void ExportModul::setFileName(const std::string& name)
{
    fileName = name;
}

void ExportModul::destroy()
{
    delete this;
}

namespace {

// Reads one flag table for the keys in turn. Only the exact text "1" counts as on; an absent
// key is off. The host fills its tables key by key, so the entry after the one found last is
// usually the next key's and is tried before a lookup by name; a module's table holds each
// name once, so an entry of that name is the key's entry.
class FlagReader
{
public:
    explicit FlagReader(const THashedStringList& table) : flags(table) {}

    bool isOn(std::string_view key)
    {
        int i = next;
        if (i >= flags.count() || !isKey(flags.nameViewAt(i), key)) {
            i = flags.indexOfName(key);
            if (i < 0)
                return false;
        }
        next = i + 1;
        return isFlagOn(flags.valueViewAt(i));
    }

private:
    // The tables almost always spell a key alike, so the exact comparison settles most cases.
    static bool isKey(std::string_view name, std::string_view key)
    {
        return name == key || Windows1252::sameText(name, key);
    }

    const THashedStringList& flags;
    int next = 0;
};

bool hasEntityBytes(std::string_view text)
{
    for (char c : text)
        if (c == '"' || c == '&' || c == '<' || c == '>' || static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

void ExportModul::forEachEntry(const std::function<void(const Entry&)>& write) const
{
    FlagReader html(*htmlFlags);
    FlagReader breaks(*breakFlags);
    FlagReader unixEnds(*unixFlags);
    Entry entry;
    std::string unixText, encoded;
    const int n = keys->count();
    for (int i = 0; i < n; ++i) {
        entry.key = keys->nameViewAt(i);
        entry.text = keys->valueViewAt(i);
        entry.html = html.isOn(entry.key);
        entry.breaks = breaks.isOn(entry.key);
        if (unixEnds.isOn(entry.key) && entry.text.find('\r') != std::string_view::npos)
            entry.text = unixText = LineBreaks::normalize(entry.text, LineBreaks::lf);
        if (entry.html && hasEntityBytes(entry.text))
            entry.text = encoded = htmlEncoder->encodeEntities(entry.text);
        write(entry);
    }
}

void ExportModul::writeExportFile(std::string_view text) const
{
    SafeFile::replace(fileName, text, FileError(absolutePath(fileName), FileError::Step::create));
}
