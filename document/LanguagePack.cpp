#include "LanguagePack.h"

#include "KeyChecks.h"
#include "SafeFile.h"
#include "Windows1252.h"
#include "XmlFile.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <unordered_set>

namespace {

// From this size on, the tree is copied after reading rather than keeping the file's text.
constexpr std::uint64_t largePack = 1024 * 1024;

constexpr const char* infoAttributes[infoRowCount] = {"project", "name", "lang", "version", "date"};
constexpr const char* infoRowNames[infoRowCount] = {"Projekt", "Name", "Sprache", "Version",
                                                    "letzte Änderung"};

const char* const newDocumentText =
    "<languagepack name=\"Package\" lang=\"\" version=\"\" date=\"\" project=\"\">"
    "<info>Languagepack-Descricption</info><content/></languagepack>";

std::string attributeText(const pugi::xml_node& node, const char* name, bool& lost)
{
    return Windows1252::fromUtf8(node.attribute(name).value(), lost);
}

void setAttribute(pugi::xml_node node, const char* name, const std::string& text)
{
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        a = node.append_attribute(name);
    a.set_value(Windows1252::toUtf8(text).c_str());
}

// An integer part of a version, 0 when the part is none.
long long versionPart(std::string_view part)
{
    std::size_t start = 0;
    while (start < part.size() && part[start] == ' ')
        ++start;
    part.remove_prefix(start);
    if (!part.empty() && part.front() == '+')
        part.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size())
        return 0;
    return value;
}

} // namespace

LanguagePack::LanguagePack() = default;
LanguagePack::~LanguagePack() = default;

void LanguagePack::open(const std::string& path)
{
    clearKeys();
    readPack(path);
    markSaved();
}

void LanguagePack::createNew()
{
    packProject = "Unnamed";
    packName = "Package";
    packLang = "Lang";
    packVersion = "1.0.0";
    packDate = formatPackDate(clock());
    infoValuesToBlock();
    packFileName.clear();
    clearKeys();
    loadNewDocumentTree();
    markChanged();
}

void LanguagePack::close()
{
    clearKeys();
    resetTree();
    clearInfo();
    packFileName.clear();
    markSaved();
}

void LanguagePack::markChanged()
{
    isSaved = false;
    isModified = true;
}

void LanguagePack::markSaved()
{
    isSaved = true;
    isModified = false;
}

void LanguagePack::takeOver(std::string_view key, const KeyRecord& record)
{
    if (holdsEqualsSign(key))
        throw std::runtime_error(equalsSignInKeyName);
    setRecord(key, record);
    markChanged();
}

int LanguagePack::addKey(std::string_view name)
{
    const int row = keys.add(name);
    markChanged();
    return row;
}

void LanguagePack::addKeys(std::vector<std::string> names)
{
    for (std::string& name : names)
        keys.appendUnsorted(std::move(name));
    keys.sort();
    markChanged();
}

int LanguagePack::renameKey(int row, std::string_view key, std::string_view name, const std::string& text)
{
    KeyRecord moved = record(key);
    moved.text = text;
    setRecord(key, {});
    if (row >= 0)
        keys.removeAt(row);
    keys.add(name);
    setRecord(name, moved);
    markChanged();
    return keys.indexOf(name);
}

int LanguagePack::removeKey(int row, std::string_view key)
{
    setRecord(key, {});
    int next = 0;
    if (row >= 0) {
        keys.removeAt(row);
        next = std::max(row - 1, 0);
    }
    markChanged();
    return next < keys.count() ? next : -1;
}

void LanguagePack::removeKeys(const std::vector<std::string>& names)
{
    if (names.empty())
        return;
    std::unordered_set<std::string> gone;
    for (const std::string& name : names) {
        gone.insert(Windows1252::upperCase(name));
        setRecord(name, {});
    }
    // What stays is in order already.
    KeyList kept;
    std::string upper;
    for (const std::string& key : keys.items()) {
        upper.resize(key.size());
        std::transform(key.begin(), key.end(), upper.begin(), Windows1252::toUpper);
        if (!gone.contains(upper))
            kept.appendUnsorted(key);
    }
    keys = std::move(kept);
    markChanged();
}

std::string LanguagePack::proposedFileName(std::string_view extension) const
{
    return packProject + "_" + packName + "_" + packLang + "." + std::string(extension);
}

void LanguagePack::clearKeys()
{
    keys.clear();
    ValueList.clear();
    HtmlList.clear();
    BreakList.clear();
    UnixList.clear();
    CommentList.clear();
}

KeyRecord LanguagePack::record(std::string_view key) const
{
    const KeyRecordView view = recordView(key, THashedStringList::hashName(key));
    return {std::string(view.text), std::string(view.comment), std::string(view.htmlFlag),
            std::string(view.breakFlag), std::string(view.unixFlag)};
}

KeyRecordView LanguagePack::recordView(std::string_view key, std::size_t hash) const
{
    return {ValueList.valueView(key, hash), CommentList.valueView(key, hash), HtmlList.valueView(key, hash),
            BreakList.valueView(key, hash), UnixList.valueView(key, hash)};
}

void LanguagePack::setRecord(std::string_view key, const KeyRecord& record)
{
    const std::size_t hash = THashedStringList::hashName(key);
    ValueList.setValue(key, hash, record.text);
    CommentList.setValue(key, hash, record.comment);
    HtmlList.setValue(key, hash, record.htmlFlag);
    BreakList.setValue(key, hash, record.breakFlag);
    UnixList.setValue(key, hash, record.unixFlag);
}

void LanguagePack::ReplacedCharacters::add(std::string name)
{
    if (names.size() < shownNames)
        names.push_back(std::move(name));
    ++count;
}

std::string LanguagePack::ReplacedCharacters::list() const
{
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : ", ") + name;
    if (count > names.size())
        out += " und " + std::to_string(count - names.size()) + " weitere";
    return out;
}

std::string LanguagePack::replacedCharactersNote() const
{
    return "Beim Lesen wurden Zeichen ersetzt, die es in Windows-1252 nicht gibt: " + replaced.list() + ".";
}

void LanguagePack::infoValuesToBlock()
{
    infoBlock = {packProject, packName, packLang, packVersion, packDate};
}

void LanguagePack::infoBlockToValues()
{
    packProject = infoBlock[rowProject];
    packName = infoBlock[rowName];
    packLang = infoBlock[rowLang];
    packVersion = infoBlock[rowVersion];
    packDate = infoBlock[rowDate];
}

bool LanguagePack::infoBlockEdited() const
{
    return infoBlock != infoSeen;
}

void LanguagePack::clearInfo()
{
    packProject.clear();
    packName.clear();
    packLang.clear();
    packVersion.clear();
    packDate.clear();
    infoValuesToBlock();
    infoSeen = infoBlock;
}

bool LanguagePack::hasRootElement() const
{
    return tree && tree->document_element();
}

void LanguagePack::readPack(const std::string& path)
{
    tree.reset();
    stoppedAtKey = false;
    replaced = {};
    fileSeen = {};
    treeFileName = path;
    auto parsed = std::make_unique<pugi::xml_document>();
    encoding = XmlFile::load(*parsed, path, "content", &fileSeen);
    tree = std::move(parsed);
    packFileName = fileNamePart(path);

    pugi::xml_node root = tree->document_element();
    std::string* values[infoRowCount] = {&packProject, &packName, &packLang, &packVersion, &packDate};
    for (int row = 0; row < infoRowCount; ++row) {
        bool lost = false;
        *values[row] = attributeText(root, infoAttributes[row], lost);
        if (lost)
            replaced.add(infoRowNames[row]);
    }
    infoValuesToBlock();
    infoSeen = infoBlock;

    pugi::xml_node content = root.child("content");
    if (!content)
        content = root.append_child("content");
    keys.clear();
    readKeys(content);
    // The tree was parsed in place: it holds the whole file's text, and the memory of the key
    // elements stays partly taken. What is left of it is small; for a large pack a copy of it
    // lets all that go.
    if (fileSeen.size >= largePack) {
        auto copy = std::make_unique<pugi::xml_document>();
        copy->reset(*tree);
        tree = std::move(copy);
    }
}

WriteOutcome LanguagePack::write(const std::string& path)
{
    stampLastChange();
    if (!tree)
        return WriteOutcome::NoTree;
    pugi::xml_node root = tree->document_element();
    if (!root)
        return WriteOutcome::NoRoot;
    for (int row = 0; row < infoRowCount; ++row)
        setAttribute(root, infoAttributes[row], infoBlock[static_cast<std::size_t>(row)]);

    pugi::xml_node content = root.child("content");
    if (!content)
        content = root.append_child("content");
    XmlFile::removeChildren(content);
    const FileError failure(path, FileError::Step::save);
    // The key elements go into the file straight from the tables, not through nodes of the
    // tree, in place of the (empty) children of `content`.
    const std::string bytes =
        XmlFile::serialise(*tree, encoding, failure, content,
                           [this, &failure](std::string& out) { appendKeyElements(out, failure); });
    SafeFile::replace(path, bytes, failure);
    if (path == treeFileName)
        fileSeen = FileSnapshot::ofFile(path, bytes);
    infoSeen = infoBlock;
    // The file holds the info block's values now: they are the info values again.
    infoBlockToValues();
    packFileName = fileNamePart(path);
    markSaved();
    return WriteOutcome::Written;
}

void LanguagePack::stampLastChange()
{
    packDate = formatPackDate(clock());
    infoBlock[rowDate] = packDate;
}

void LanguagePack::loadNewDocumentTree()
{
    treeFileName.clear();
    encoding = {};
    stoppedAtKey = false;
    replaced = {};
    fileSeen = {};
    tree = std::make_unique<pugi::xml_document>();
    tree->load_string(newDocumentText);
}

void LanguagePack::resetTree()
{
    treeFileName.clear();
    encoding = {};
    stoppedAtKey = false;
    replaced = {};
    fileSeen = {};
    tree = std::make_unique<pugi::xml_document>();
}

std::string bumpVersion(std::string_view version)
{
    std::string_view major = version, minor, patch;
    if (const std::size_t dot = version.find('.'); dot != std::string_view::npos) {
        major = version.substr(0, dot);
        minor = version.substr(dot + 1);
        if (const std::size_t dot2 = minor.find('.'); dot2 != std::string_view::npos) {
            patch = minor.substr(dot2 + 1);
            minor = minor.substr(0, dot2);
        }
    } else {
        major = {};
    }
    return std::to_string(versionPart(major)) + "." + std::to_string(versionPart(minor)) + "." +
           std::to_string(versionPart(patch) + 1);
}

std::string fileNamePart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
}
