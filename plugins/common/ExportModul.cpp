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

namespace {

// Reads one flag table for the keys in turn. Only the exact text "1" counts as on; an absent
// key is off. The host fills its tables key by key, so the entry after the one found last is
// usually the next key's and is tried before a lookup by name; a module's table holds each
// name once, so an entry of that name is the key's entry.
class FlagReader
{
public:
    explicit FlagReader(const THashedStringList& table) : flags(table) {}

    bool isOn(const std::string& key)
    {
        int i = next;
        if (i >= flags.count() || !isKey(flags.nameAt(i), key)) {
            i = flags.indexOfName(key);
            if (i < 0)
                return false;
        }
        next = i + 1;
        return isFlagOn(flags.valueAt(i));
    }

private:
    // The tables almost always spell a key alike, so the exact comparison settles most cases.
    static bool isKey(const std::string& name, const std::string& key)
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
    const int n = keys->count();
    for (int i = 0; i < n; ++i) {
        entry.key = keys->nameAt(i);
        entry.text = keys->valueAt(i);
        entry.html = html.isOn(entry.key);
        entry.breaks = breaks.isOn(entry.key);
        if (unixEnds.isOn(entry.key) && entry.text.find('\r') != std::string::npos)
            entry.text = LineBreaks::normalize(entry.text, LineBreaks::lf);
        if (entry.html && hasEntityBytes(entry.text))
            entry.text = htmlEncoder->encodeEntities(entry.text);
        write(entry);
    }
}

void ExportModul::writeExportFile(std::string_view text) const
{
    SafeFile::replace(fileName, text, FileError(absolutePath(fileName), FileError::Step::create));
}
