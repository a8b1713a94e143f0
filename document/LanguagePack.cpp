#include "LanguagePack.h"

#include "SafeFile.h"
#include "Windows1252.h"
#include "XmlFile.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <random>
#include <stdexcept>

namespace {

constexpr const char* infoAttributes[infoRowCount] = {"project", "name", "lang", "version", "date"};

const char* const newDocumentText =
    "<languagepack name=\"Package\" lang=\"\" version=\"\" date=\"\" project=\"\">"
    "<info>Languagepack-Descricption</info><content/></languagepack>";

std::string attributeText(const pugi::xml_node& node, const char* name)
{
    return Windows1252::fromUtf8(node.attribute(name).value());
}

void setAttribute(pugi::xml_node node, const char* name, const std::string& text)
{
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        a = node.append_attribute(name);
    a.set_value(Windows1252::toUtf8(text).c_str());
}

// The text of a `value` or `comment` element: empty without the element or without
// children; one text or CDATA node is the text; anything else ends the reading. The text
// is valid until the next call.
std::string_view elementText(const pugi::xml_node& element, std::string_view key)
{
    const pugi::xml_node first = element.first_child();
    if (!first)
        return {};
    const bool singleText =
        !first.next_sibling() && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata);
    if (!singleText)
        throw std::runtime_error("Schlüssel \"" + Windows1252::toUtf8(key) + "\": Das Element \"" +
                                 element.name() + "\" darf nur einen Text enthalten.");
    return Windows1252::decodeTextView(first.value());
}

// An attribute value by the plain conversion, valid until the next call with the same
// `slot`; ASCII texts (ids and flags, as a rule) pass as they stand.
std::string_view plainText(const char* utf8, int slot)
{
    thread_local std::string converted[2];
    std::string_view text(utf8);
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return text;
    converted[slot] = Windows1252::fromUtf8(text);
    return converted[slot];
}

// The four attributes of a key element, found in one pass over its attributes.
struct KeyAttributes
{
    pugi::xml_attribute id, encodeHTML, preserveLinebreaks, unixNewline;
    explicit KeyAttributes(const pugi::xml_node& node)
    {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            pugi::xml_attribute* slot = name == "id"                   ? &id
                                        : name == "encodeHTML"         ? &encodeHTML
                                        : name == "preserveLinebreaks" ? &preserveLinebreaks
                                        : name == "unixNewline"        ? &unixNewline
                                                                       : nullptr;
            // As with a lookup by name, the first attribute of a name counts.
            if (slot && !*slot)
                *slot = a;
        }
    }
};

// Removes a read key element from `content` when its reading is done, however it ends.
struct KeyElementDropper
{
    pugi::xml_node content;
    pugi::xml_node node;
    ~KeyElementDropper() { content.remove_child(node); }
};

// A processing-instruction name that no pack holds by chance.
std::string contentMarker()
{
    std::random_device random;
    return "korvel-keys-" + std::to_string(random()) + "-" + std::to_string(random());
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

void LanguagePack::clearInfo()
{
    packProject.clear();
    packName.clear();
    packLang.clear();
    packVersion.clear();
    packDate.clear();
    infoValuesToBlock();
}

void LanguagePack::readPack(const std::string& path)
{
    tree.reset();
    treeFileName = path;
    auto parsed = std::make_unique<pugi::xml_document>();
    XmlFile::load(*parsed, path);
    tree = std::move(parsed);
    packFileName = fileNamePart(path);

    pugi::xml_node root = tree->document_element();
    packProject = attributeText(root, "project");
    packName = attributeText(root, "name");
    packLang = attributeText(root, "lang");
    packVersion = attributeText(root, "version");
    packDate = attributeText(root, "date");
    infoValuesToBlock();

    pugi::xml_node content = root.child("content");
    if (!content)
        content = root.append_child("content");
    keys.clear();
    reserveFor(content);
    try {
        for (pugi::xml_node node = content.child("key"), next; node; node = next) {
            next = node.next_sibling();
            // A key element is not needed once read (the writer rebuilds `content` from the
            // key list); dropping each as it is done keeps a large pack in memory once.
            const KeyElementDropper drop{content, node};
            const KeyAttributes a(node);
            if (!a.id)
                continue;
            const std::string_view key = plainText(a.id.value(), 0);
            if (key.empty())
                continue;
            const std::size_t hash = THashedStringList::hashName(key);
            if (a.encodeHTML)
                HtmlList.setValue(key, hash, plainText(a.encodeHTML.value(), 1));
            if (a.preserveLinebreaks)
                BreakList.setValue(key, hash, plainText(a.preserveLinebreaks.value(), 1));
            if (a.unixNewline)
                UnixList.setValue(key, hash, plainText(a.unixNewline.value(), 1));
            // A key element without children keeps its flags but is not listed.
            if (!node.first_child())
                continue;
            ValueList.setValue(key, hash, elementText(node.child("value"), key));
            keys.appendUnsorted(std::string(key));
            CommentList.setValue(key, hash, elementText(node.child("comment"), key));
        }
    } catch (...) {
        // The keys read before the faulty one stay, in their sorted order.
        keys.sort();
        throw;
    }
    keys.sort();
    content.remove_children();
}

// Sizes the five tables for the key elements of `content` before they are read.
void LanguagePack::reserveFor(const pugi::xml_node& content)
{
    std::size_t n = 0;
    for (pugi::xml_node node = content.first_child(); node; node = node.next_sibling())
        ++n;
    for (THashedStringList* table : {&ValueList, &HtmlList, &BreakList, &UnixList, &CommentList})
        table->reserve(table->entries.size() + n);
}

void LanguagePack::writePack(const std::string& path, PackView& view)
{
    stampLastChange();
    view.infoBlockChanged();
    if (!tree) {
        view.showInfo("Ooops...\nKein Languagepack geladen\nBitte erst neues Languagpack anlegen");
        return;
    }
    pugi::xml_node root = tree->document_element();
    if (!root) {
        view.showInfo("Ooops...\nSpeichern fehlgeschlagen...\nBitte erst neues Languagpack anlegen");
        return;
    }
    for (int row = 0; row < infoRowCount; ++row)
        setAttribute(root, infoAttributes[row], infoBlock[static_cast<std::size_t>(row)]);

    pugi::xml_node content = root.child("content");
    if (!content)
        content = root.append_child("content");
    content.remove_children();
    const std::string keyElements = keyElementsText();
    std::string text;
    if (keyElements.empty()) {
        text = XmlFile::serialiseUtf8(*tree);
    } else {
        // The key elements go into the text straight from the tables, not through nodes of
        // the tree: a marker in `content` shows where they belong.
        const std::string marker = contentMarker();
        pugi::xml_node placeholder = content.append_child(pugi::node_pi);
        placeholder.set_name(marker.c_str());
        text = XmlFile::serialiseUtf8(*tree);
        content.remove_child(placeholder);
        const std::string markerText = "<?" + marker + "?>";
        text.replace(text.find(markerText), markerText.size(), keyElements);
    }
    SafeFile::replace(path, XmlFile::encodeFor(*tree, std::move(text)),
                      "Datei \"" + path + "\" kann nicht gespeichert werden.");
    packFileName = fileNamePart(path);
    view.setStatusText("Gespeichert: " + packFileName);
    view.setSaveActionEnabled(false);
    isSaved = true;
    isModified = false;
}

// One `key` element per non-empty name of the key list, in its order, as UTF-8 XML text:
// the four attributes by the plain conversion, `value` and `comment` UTF-8-in-8-bit.
std::string LanguagePack::keyElementsText() const
{
    std::string out;
    out.reserve(static_cast<std::size_t>(keys.count()) * 256);
    auto element = [&out](const char* name, std::string_view text) {
        out += '<';
        out += name;
        if (text.empty()) {
            out += "/>";
            return;
        }
        out += '>';
        XmlFile::appendText(out, text, true);
        out += "</";
        out += name;
        out += '>';
    };
    auto attribute = [&out](const char* name, std::string_view text) {
        out += name;
        out += "=\"";
        XmlFile::appendAttribute(out, text);
        out += '"';
    };
    for (const std::string& key : keys.items()) {
        if (key.empty())
            continue;
        const KeyRecordView record = recordView(key, THashedStringList::hashName(key));
        out += "<key ";
        attribute("id", key);
        attribute(" encodeHTML", record.htmlFlag);
        attribute(" preserveLinebreaks", record.breakFlag);
        attribute(" unixNewline", record.unixFlag);
        out += '>';
        element("value", record.text);
        element("comment", record.comment);
        out += "</key>";
    }
    return out;
}

void LanguagePack::stampLastChange()
{
    packDate = formatPackDate(clock());
    infoBlock[rowDate] = packDate;
}

void LanguagePack::loadNewDocumentTree()
{
    treeFileName.clear();
    tree = std::make_unique<pugi::xml_document>();
    tree->load_string(newDocumentText);
}

void LanguagePack::resetTree()
{
    treeFileName.clear();
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
