#include "XmlFile.h"

#include "Windows1252.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace XmlFile {
namespace {

// What the bytes of a text to escape are: UTF-8 from the tree, or a Windows-1252 text of the
// document, converted plainly or UTF-8-in-8-bit on the way.
enum class Bytes {
    utf8,
    windows1252,
    windows1252Doubled,
};

// Where an escaped text stands.
enum class Place {
    attribute,
    text,
    // The text of a `value` or `comment`, whose reader makes every line break CR LF itself.
    lineBrokenText,
};

// What an ASCII byte needs where it stands: nothing (null), an entity or a character
// reference, or "" for a control character XML cannot hold. A character a parser would
// change is written as a reference: in an attribute value tab, line feed and carriage return
// (it makes them blanks), in text a carriage return (it makes that a line feed). Only where
// the reader makes every line break CR LF by itself does a carriage return stand raw, as
// packs have always been written: a save then changes no line of a pack kept under version
// control.
struct EscapeTable
{
    std::array<std::array<const char*, 128>, 3> needs{};
    constexpr EscapeTable()
    {
        auto& attribute = needs[static_cast<int>(Place::attribute)];
        auto& text = needs[static_cast<int>(Place::text)];
        auto& lineBrokenText = needs[static_cast<int>(Place::lineBrokenText)];
        for (int c = 0; c < 32; ++c)
            attribute[c] = text[c] = "";
        text['\t'] = text['\n'] = nullptr;
        attribute['\t'] = "&#9;";
        attribute['\n'] = "&#10;";
        attribute['\r'] = text['\r'] = "&#13;";
        text['&'] = attribute['&'] = "&amp;";
        text['<'] = attribute['<'] = "&lt;";
        text['>'] = "&gt;";
        attribute['"'] = "&quot;";
        lineBrokenText = text;
        lineBrokenText['\r'] = nullptr;
    }
};
constexpr EscapeTable escapeTable;

// Appends `text` escaped for `place`. Returns where the first control character that XML
// cannot hold stands, or null when there is none.
template <Bytes bytes> const char* appendEscaped(std::string& out, std::string_view text, Place place)
{
    const auto& needs = escapeTable.needs[static_cast<int>(place)];
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80 ? !needs[c] : bytes == Bytes::utf8)
            continue;
        out.append(text.data() + run, i - run);
        run = i + 1;
        if (c >= 0x80)
            out += Windows1252::utf8Form(c, bytes == Bytes::windows1252Doubled);
        else if (*needs[c])
            out += needs[c];
        else
            return text.data() + i;
    }
    out.append(text.data() + run, text.size() - run);
    return nullptr;
}

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// How a refused save is reported: as a FileError of the target, with the reason as its cause.
struct Refusal
{
    const FileError& error;

    [[noreturn]] void operator()(const std::string& reason) const { throw error.because(reason); }
};

// Writes a tree as UTF-8 XML text, node by node without recursion (a tree may be deep),
// checking that the file will hold what it writes.
class TreeWriter
{
public:
    TreeWriter(FileEncoding fileEncoding, const Refusal& refusal) : encoding(fileEncoding), refuse(refusal) {}

    void write(const pugi::xml_document& tree, const pugi::xml_node& replaced,
               const ChildrenWriter& writeChildren)
    {
        pugi::xml_node node = tree.first_child();
        while (node) {
            if (start(node, replaced, writeChildren)) {
                node = node.first_child();
                continue;
            }
            while (!node.next_sibling()) {
                node = node.parent();
                if (node.type() == pugi::node_document)
                    return;
                endTag(node);
            }
            node = node.next_sibling();
        }
    }

    std::string out;

private:
    // Writes an element's start tag, or any other node whole; true when children follow.
    bool start(const pugi::xml_node& node, const pugi::xml_node& replaced,
               const ChildrenWriter& writeChildren)
    {
        switch (node.type()) {
        case pugi::node_element:
            out += '<';
            markup(node.name(), "in einem Elementnamen");
            attributes(node);
            if (node == replaced) {
                out += '>';
                const std::size_t start = out.size();
                writeChildren(out);
                if (out.size() == start) {
                    // Nothing in place of the children: an empty element, as any other.
                    out.back() = '/';
                    out += '>';
                    return false;
                }
                endTag(node);
                return false;
            }
            if (!*node.value() && !node.first_child()) {
                out += "/>";
                return false;
            }
            out += '>';
            // A text held as the element's value comes before its children.
            text(node.value());
            if (node.first_child())
                return true;
            endTag(node);
            return false;
        case pugi::node_pcdata:
            text(node.value());
            return false;
        case pugi::node_cdata:
            enclosed("<![CDATA[", node.value(), "in einem CDATA-Abschnitt", "]]>");
            return false;
        case pugi::node_comment:
            enclosed("<!--", node.value(), "in einem Kommentar", "-->");
            return false;
        case pugi::node_pi:
        case pugi::node_declaration:
            out += "<?";
            markup(node.name(), "in einer Verarbeitungsanweisung");
            attributes(node);
            if (*node.value()) {
                out += ' ';
                markup(node.value(), "in einer Verarbeitungsanweisung");
            }
            out += "?>";
            return false;
        case pugi::node_doctype:
            enclosed("<!DOCTYPE ", node.value(), "in der DOCTYPE-Angabe", ">");
            return false;
        default:
            return false;
        }
    }

    void endTag(const pugi::xml_node& node)
    {
        out += "</";
        out += node.name();
        out += '>';
    }

    // A node written whole between its opening and closing marks, such as a comment.
    void enclosed(const char* open, std::string_view value, const char* where, const char* close)
    {
        out += open;
        markup(value, where);
        out += close;
    }

    void attributes(const pugi::xml_node& node)
    {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            out += ' ';
            markup(a.name(), "in einem Attributnamen");
            out += "=\"";
            escaped(a.value(), Place::attribute);
            out += '"';
        }
    }

    // Names, comments and the like: no character reference can stand there, so in an 8-bit
    // file every character must be one of the encoding's own.
    void markup(std::string_view utf8, const char* where)
    {
        for (std::size_t pos = 0; pos < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[pos]);
            if (b < 0x80) {
                controlCharacter(b);
                ++pos;
                continue;
            }
            const std::size_t start = pos;
            const char32_t c = XmlEncoding::nextCharacter(utf8, pos);
            if (!XmlEncoding::holds(encoding, c))
                refuse("Das Zeichen \"" + std::string(utf8.substr(start, pos - start)) + "\" " + where +
                       " kann in der Zeichenkodierung " + encoding.name() + " nicht gespeichert werden.");
        }
        out += utf8;
    }

    // A text node. A whitespace-only text starts with a reference, so that the parser does
    // not drop it.
    void text(std::string_view value)
    {
        if (!value.empty() && std::all_of(value.begin(), value.end(), isXmlSpace)) {
            out += "&#" + std::to_string(static_cast<int>(value[0])) + ";";
            value.remove_prefix(1);
        }
        escaped(value, Place::text);
    }

    void escaped(std::string_view value, Place place)
    {
        if (const char* c = appendEscaped<Bytes::utf8>(out, value, place))
            controlCharacter(static_cast<unsigned char>(*c));
    }

    void controlCharacter(unsigned char c)
    {
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            constexpr char digits[] = "0123456789ABCDEF";
            refuse(std::string("Das Steuerzeichen U+00") + digits[c >> 4] + digits[c & 0xF] +
                   " kann in XML nicht gespeichert werden.");
        }
    }

    FileEncoding encoding;
    const Refusal& refuse;
};

std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const Refusal& refuse,
                      const pugi::xml_node& replaced, const ChildrenWriter& writeChildren)
{
    TreeWriter writer(encoding, refuse);
    writer.write(tree, replaced, writeChildren);
    if (encoding == FileEncoding{})
        return std::move(writer.out);
    return XmlEncoding::fromUtf8(writer.out, encoding);
}

void writeNoChildren(std::string&) {}

} // namespace

std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const FileError& failure,
                      const pugi::xml_node& replaced, const ChildrenWriter& writeChildren)
{
    return serialise(tree, encoding, Refusal{failure}, replaced, writeChildren);
}

std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const FileError& failure)
{
    return serialise(tree, encoding, Refusal{failure}, pugi::xml_node(), writeNoChildren);
}

bool appendText(std::string& out, std::string_view text, bool doubled)
{
    return !(doubled ? appendEscaped<Bytes::windows1252Doubled>(out, text, Place::lineBrokenText)
                     : appendEscaped<Bytes::windows1252>(out, text, Place::lineBrokenText));
}

bool appendAttribute(std::string& out, std::string_view text)
{
    return !appendEscaped<Bytes::windows1252>(out, text, Place::attribute);
}

} // namespace XmlFile
