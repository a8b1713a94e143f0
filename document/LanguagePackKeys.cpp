#include "LanguagePack.h"

#include "KeyChecks.h"
#include "Windows1252.h"
#include "XmlFile.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <vector>

// The key elements of a pack: how the reader takes them from the tree into the key list and
// the five tables, and how the writer puts the key list and the tables back into the file.

namespace {

// The text of a `value` or `comment` element as the file holds it: empty without the element
// or without content; one text (held as the element's value) or one CDATA node is the text;
// anything else ends the reading.
std::string_view elementSource(const pugi::xml_node& element, std::string_view key)
{
    const char* text = element.value();
    const pugi::xml_node first = element.first_child();
    if (!*text && !first)
        return {};
    const bool singleText = *text ? !first : !first.next_sibling() && first.type() == pugi::node_cdata;
    if (!singleText)
        throw std::runtime_error("Schlüssel \"" + Windows1252::toUtf8(key) + "\": Das Element \"" +
                                 element.name() + "\" darf nur einen Text enthalten.");
    return *text ? text : first.value();
}

// An attribute value by the plain conversion; ASCII texts (ids and flags, as a rule) pass as
// they stand, others are converted into `converted`.
std::string_view plainText(const char* utf8, std::string& converted, bool& lost)
{
    // Its length and whether it is ASCII in one pass.
    unsigned char high = 0;
    const char* end = utf8;
    for (; *end; ++end)
        high |= static_cast<unsigned char>(*end);
    const std::string_view text(utf8, static_cast<std::size_t>(end - utf8));
    if (high < 0x80)
        return text;
    Windows1252::fromUtf8Into(text, converted, lost);
    return converted;
}

// Whether the name of the tree is `wanted`: compared up to the first difference, without
// measuring the name first.
inline bool isNamed(const char* name, std::string_view wanted)
{
    for (const char c : wanted)
        if (*name++ != c)
            return false;
    return *name == '\0';
}

// The four attributes of a key element, found in one pass over its attributes.
struct KeyAttributes
{
    pugi::xml_attribute id, encodeHTML, preserveLinebreaks, unixNewline;
    explicit KeyAttributes(const pugi::xml_node& node)
    {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            pugi::xml_attribute* slot = isNamed(name, "id")                   ? &id
                                        : isNamed(name, "encodeHTML")         ? &encodeHTML
                                        : isNamed(name, "preserveLinebreaks") ? &preserveLinebreaks
                                        : isNamed(name, "unixNewline")        ? &unixNewline
                                                                              : nullptr;
            // As with a lookup by name, the first attribute of a name counts.
            if (slot && !*slot)
                *slot = a;
        }
    }
};

// The children of a key element the reader needs, found in one pass: its first `value`
// and its first `comment` element, and whether any other child has children of its own.
struct KeyChildren
{
    pugi::xml_node value, comment;
    bool any = false;
    bool shallow = true;
    explicit KeyChildren(const pugi::xml_node& node) : any(*node.value() != '\0')
    {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            any = true;
            const char* name = child.name();
            if (!value && isNamed(name, "value") && child.type() == pugi::node_element)
                value = child;
            else if (!comment && isNamed(name, "comment") && child.type() == pugi::node_element)
                comment = child;
            else if (child.first_child())
                shallow = false;
        }
    }
};

void refuseEqualsSign(std::string_view key)
{
    if (holdsEqualsSign(key))
        throw std::runtime_error("Schlüssel \"" + Windows1252::toUtf8(key) + "\": " + equalsSignInKeyName);
}

// The hashes of the names read so far: a name whose hash is not among them is surely new to
// the tables, one whose hash is may repeat an earlier name. A slot holds the upper half of
// a hash, its place stands for the lower bits: half the memory of whole hashes, which keeps
// the set of a large pack in the processor's cache.
class NameHashes
{
public:
    explicit NameHashes(std::size_t names)
    {
        std::size_t size = 16;
        while (size < (names + 1) * 2)
            size *= 2;
        slots.assign(size, 0);
    }
    // False when the hash was there already, and once the set is full: a name it cannot hold
    // counts as one that may repeat.
    bool insert(std::size_t hash)
    {
        if ((used + 1) * 2 > slots.size())
            return false;
        const std::uint32_t upper = static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32) | 1;
        const std::size_t mask = slots.size() - 1;
        for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
            if (slots[s] == upper)
                return false;
            if (slots[s] == 0) { // 0 marks a free slot; every upper half is odd
                slots[s] = upper;
                ++used;
                return true;
            }
        }
    }

private:
    std::vector<std::uint32_t> slots;
    std::size_t used = 0;
};

// A text the reader would drop as white space between elements if it stood as it is.
inline bool whitespaceOnly(std::string_view text)
{
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    return !text.empty() && space(text.front()) && std::all_of(text.begin(), text.end(), space);
}
} // namespace

// The key elements from the first `key` on. Each is dropped once read: the writer rebuilds
// `content` from the key list, and dropping them as they are done keeps a large pack in
// memory once.
void LanguagePack::readKeys(pugi::xml_node content)
{
    const std::size_t visited = reserveFor(content);
    THashedStringList* const tables[] = {&ValueList, &HtmlList, &BreakList, &UnixList, &CommentList};
    // While every name read is new to the tables (they start empty, and no name so far may
    // be an earlier one again), its entries are appended without a lookup. The first name
    // that may repeat ends that: from then on each setting goes by the tables' rules.
    bool namesNew = std::all_of(std::begin(tables), std::end(tables),
                                [](const THashedStringList* t) { return t->count() == 0; });
    NameHashes seen(namesNew ? visited : 0);
    std::string id, flag, decoded;
    try {
        for (pugi::xml_node node = content.child("key"), next; node; node = next) {
            next = node.next_sibling();
            const KeyAttributes a(node);
            bool lost = false;
            const std::string_view key = a.id ? plainText(a.id.value(), id, lost) : std::string_view();
            if (key.empty()) {
                XmlFile::removeChild(content, node);
                continue;
            }
            refuseEqualsSign(key);
            const std::size_t hash = THashedStringList::hashName(key);
            namesNew = namesNew && seen.insert(hash);
            auto set = [&](THashedStringList& table, std::string_view text) {
                if (namesNew)
                    table.appendNew(key, text);
                else
                    table.setValue(key, hash, text);
            };
            // A text is decoded straight into the table while names are new.
            auto setDecoded = [&](THashedStringList& table, const pugi::xml_node& element) {
                const std::string_view source = elementSource(element, key);
                if (namesNew)
                    table.appendNewWritten(key, Windows1252::decodedRoom(source), [&](char* to) {
                        return Windows1252::decodeTextTo(source, to, lost);
                    });
                else
                    table.setValue(key, hash, Windows1252::decodeTextInto(source, decoded, lost));
            };
            if (a.encodeHTML)
                set(HtmlList, plainText(a.encodeHTML.value(), flag, lost));
            if (a.preserveLinebreaks)
                set(BreakList, plainText(a.preserveLinebreaks.value(), flag, lost));
            if (a.unixNewline)
                set(UnixList, plainText(a.unixNewline.value(), flag, lost));
            const KeyChildren children(node);
            // A key element without children keeps its flags but is not listed.
            if (children.any) {
                setDecoded(ValueList, children.value);
                keys.appendUnsorted(std::string(key));
                setDecoded(CommentList, children.comment);
            }
            // Named as the file spells it: the name in memory may have lost characters itself.
            if (lost)
                replaced.add(a.id.value());
            // pugixml frees a subtree recursively: at once only a key element known to be
            // shallow (its `value` and `comment` hold one text each, no other child has
            // children), any other without recursion.
            if (children.shallow)
                content.remove_child(node);
            else
                XmlFile::removeChild(content, node);
        }
    } catch (const std::runtime_error& e) {
        stopAtKey();
        // The error names the key; the file it stands in goes in front.
        throw FileError(treeFileName, FileError::Step::use, e.what());
    } catch (...) {
        stopAtKey();
        throw;
    }
    keys.sort();
    XmlFile::removeChildren(content);
}

// The keys read before the faulty one stay, in their sorted order.
void LanguagePack::stopAtKey()
{
    keys.sort();
    stoppedAtKey = true;
}

// Sizes the five tables for the keys the reader may list: the visited elements with
// children. Room for every child instead would let a file of empty elements claim memory out
// of all proportion to what it holds. Returns the number of visited elements.
std::size_t LanguagePack::reserveFor(const pugi::xml_node& content)
{
    std::size_t visited = 0, listed = 0;
    for (pugi::xml_node node = content.child("key"); node; node = node.next_sibling(), ++visited)
        if (node.first_child() || *node.value())
            ++listed;
    for (THashedStringList* table : {&ValueList, &HtmlList, &BreakList, &UnixList, &CommentList})
        table->reserve(static_cast<std::size_t>(table->count()) + listed);
    return visited;
}

// Appends one `key` element per non-empty name of the key list, in its order, as UTF-8 XML:
// the four attributes by the plain conversion, `value` and `comment` UTF-8-in-8-bit, a
// whitespace-only text as CDATA, which the reader keeps (it drops white space between
// elements). Throws, starting with `failure`, for a key holding a control character.
void LanguagePack::appendKeyElements(std::string& out, const FileError& failure) const
{
    using namespace std::string_view_literals;
    out.reserve(out.size() + static_cast<std::size_t>(keys.count()) * 256);
    bool written = true;
    auto element = [&out, &written](std::string_view name, std::string_view text) {
        out += '<';
        out += name;
        if (text.empty()) {
            out += "/>"sv;
            return;
        }
        out += '>';
        if (whitespaceOnly(text)) {
            out += "<![CDATA["sv;
            out += text;
            out += "]]>"sv;
        } else {
            written &= XmlFile::appendText(out, text, true);
        }
        out += "</"sv;
        out += name;
        out += '>';
    };
    auto attribute = [&out, &written](std::string_view name, std::string_view text) {
        out += name;
        out += "=\""sv;
        written &= XmlFile::appendAttribute(out, text);
        out += '"';
    };
    // The tables of a pack read from a file hold the keys in the order of the key list, as a
    // rule: each is read at the place after the entry found last before it is looked up.
    std::size_t places[5] = {};
    for (const std::string& key : keys.items()) {
        if (key.empty())
            continue;
        const std::size_t hash = THashedStringList::hashName(key);
        const KeyRecordView record = {
            ValueList.valueView(key, hash, places[0]), CommentList.valueView(key, hash, places[1]),
            HtmlList.valueView(key, hash, places[2]), BreakList.valueView(key, hash, places[3]),
            UnixList.valueView(key, hash, places[4])};
        out += "<key "sv;
        attribute("id", key);
        attribute(" encodeHTML", record.htmlFlag);
        attribute(" preserveLinebreaks", record.breakFlag);
        attribute(" unixNewline", record.unixFlag);
        out += '>';
        element("value", record.text);
        element("comment", record.comment);
        out += "</key>"sv;
        if (!written)
            throw failure.because("Der Schlüssel \"" + Windows1252::toUtf8(key) +
                                  "\" enthält ein Steuerzeichen, das XML nicht speichern kann.");
    }
}
