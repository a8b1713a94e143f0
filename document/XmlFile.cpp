#include "XmlFile.h"

#include "SystemError.h"
#include "Windows1252.h"
#include "XmlWellFormed.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace XmlFile {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& what)
{
    throw std::runtime_error("Datei \"" + path + "\" " + what);
}

[[noreturn]] void failToRead(const std::string& path, const std::string& reason)
{
    fail(path, "kann nicht gelesen werden. " + reason);
}

// The file's bytes in a buffer from pugixml's allocator, so that the tree can take the
// buffer over instead of copying it: a large pack is then held once, not twice.
struct FileBuffer
{
    char* data = nullptr;
    std::size_t size = 0;
    FileBuffer() = default;
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;
    ~FileBuffer() { release(); }
    void allocate(std::size_t n)
    {
        release();
        data = static_cast<char*>(pugi::get_memory_allocation_function()(n ? n : 1));
        if (!data)
            throw std::bad_alloc();
        size = n;
    }
    void assign(std::string_view bytes)
    {
        allocate(bytes.size());
        std::memcpy(data, bytes.data(), bytes.size());
    }
    void release()
    {
        if (data)
            pugi::get_memory_deallocation_function()(data);
        data = nullptr;
        size = 0;
    }
    // Gives the buffer up to the tree that now owns it.
    char* take()
    {
        char* d = data;
        data = nullptr;
        return d;
    }
    std::string_view view() const { return {data, size}; }
};

// What runs after each piece of a file is read: the bytes so far, and whether that is all.
using PieceRead = std::function<void(std::string_view, bool)>;

// Reads the whole file, a piece at a time, so that `pieceRead` sees each piece while it is
// still in the processor's cache. Only a regular file is read: a pipe would block the
// program, a device never ends.
void readAll(const std::string& path, FileBuffer& buffer, const PieceRead& pieceRead = {},
             struct stat* status = nullptr)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        failToRead(path, SystemError::text(errno));
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        const bool regular = S_ISREG(st.st_mode);
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        failToRead(path, regular  ? SystemError::text(error)
                         : folder ? SystemError::text(EISDIR)
                                  : std::string(SystemError::notRegularFile));
    }
    buffer.allocate(static_cast<std::size_t>(st.st_size));
    constexpr std::size_t piece = 128 * 1024;
    std::size_t done = 0;
    while (done < buffer.size) {
        const ssize_t n = ::read(fd, buffer.data + done, std::min(piece, buffer.size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            failToRead(path, SystemError::text(error));
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        if (pieceRead && done < buffer.size)
            pieceRead({buffer.data, done}, false);
    }
    ::close(fd);
    buffer.size = done;
    if (status)
        *status = st;
    if (pieceRead)
        pieceRead(buffer.view(), true);
}

// The file's text as UTF-8 without a byte-order mark, in the buffer: what the parser reads.
void makeUtf8(FileBuffer& buffer, const XmlEncoding::Detection& detection, std::string* problem)
{
    if (detection.encoding.kind == FileEncoding::utf8) {
        if (detection.byteOrderMarkLength > 0) {
            std::memmove(buffer.data, buffer.data + detection.byteOrderMarkLength,
                         buffer.size - detection.byteOrderMarkLength);
            buffer.size -= detection.byteOrderMarkLength;
        }
        return;
    }
    std::string ignored;
    const std::string utf8 = XmlEncoding::toUtf8(buffer.view().substr(detection.byteOrderMarkLength),
                                                 detection.encoding, problem ? *problem : ignored);
    buffer.assign(utf8);
}

// " (Zeile l, Spalte c)" for a byte offset of UTF-8 text; columns count characters.
std::string position(std::string_view text, std::ptrdiff_t offset)
{
    if (offset < 0)
        return {};
    const auto end = std::min(static_cast<std::size_t>(offset), text.size());
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n')
            ++line, column = 1;
        else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++column;
    }
    return " (Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column) + ")";
}

[[noreturn]] void failInvalid(const std::string& path, const std::string& what, std::string_view text,
                              std::ptrdiff_t offset)
{
    fail(path, "ist kein gültiges XML: " + what + position(text, offset));
}

// The same after the parser has changed its buffer in place: the position is found in the
// file's text read again.
[[noreturn]] void failInvalidParsed(const std::string& path, const XmlEncoding::Detection& detection,
                                    const std::string& what, std::ptrdiff_t offset)
{
    FileBuffer buffer;
    readAll(path, buffer);
    makeUtf8(buffer, detection, nullptr);
    failInvalid(path, what, buffer.view(), offset);
}

} // namespace

FileEncoding load(pugi::xml_document& tree, const std::string& path, const char* dropped, FileSnapshot* seen)
{
    tree.reset();
    FileBuffer buffer;
    // A UTF-8 file, the usual case, has its characters checked piece by piece as it is read.
    XmlEncoding::Detection detection;
    bool detected = false;
    XmlWellFormed::CharacterCheck check;
    XmlWellFormed::Problem problem;
    struct stat status
    {
    };
    readAll(
        path, buffer,
        [&](std::string_view bytes, bool complete) {
            if (!detected && !complete && bytes.size() < 1024)
                return;
            if (!detected)
                detection = XmlEncoding::detect(bytes), detected = true;
            if (detection.problem.empty() && detection.encoding.kind == FileEncoding::utf8 && !problem)
                problem = check.advance(bytes.substr(detection.byteOrderMarkLength), complete);
        },
        &status);
    if (seen)
        *seen = FileSnapshot::of(status, buffer.view());
    if (!detection.problem.empty())
        fail(path, detection.problem);
    if (problem)
        failInvalid(path, problem.what, buffer.view().substr(detection.byteOrderMarkLength), problem.offset);
    std::string conversionProblem;
    makeUtf8(buffer, detection, &conversionProblem);
    if (!conversionProblem.empty())
        failInvalid(path, conversionProblem, buffer.view(), static_cast<std::ptrdiff_t>(buffer.size));
    if (detection.encoding.kind != FileEncoding::utf8)
        if (const XmlWellFormed::Problem p = XmlWellFormed::characters(buffer.view()))
            failInvalid(path, p.what, buffer.view(), p.offset);

    // A text that is an element's first child becomes the element's value: a pack's texts then
    // take no nodes of their own, which makes reading faster and the tree smaller.
    constexpr unsigned flags = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                               pugi::parse_pi | pugi::parse_doctype | pugi::parse_fragment |
                               pugi::parse_embed_pcdata;
    const std::size_t size = buffer.size;
    const pugi::xml_parse_result result =
        tree.load_buffer_inplace_own(buffer.take(), size, flags, pugi::encoding_utf8);
    if (!result) {
        tree.reset();
        failInvalidParsed(path, detection, result.description(), result.offset);
    }
    const pugi::xml_node droppedNode = dropped ? tree.document_element().child(dropped) : pugi::xml_node();
    if (const XmlWellFormed::Problem p = XmlWellFormed::structure(tree, detection.declaration, droppedNode)) {
        tree.reset();
        failInvalidParsed(path, detection, p.what, p.offset);
    }
    return detection.encoding;
}

namespace {

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Writes a tree as UTF-8 XML text, node by node without recursion (a tree may be deep),
// checking that the file will hold what it writes.
class TreeWriter
{
public:
    TreeWriter(FileEncoding encoding, const std::string& failure) : encoding(encoding), failure(failure) {}

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
            attributeValue(a.value());
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

    // A text node. A carriage return is written as a reference, which a parser keeps, and a
    // whitespace-only text starts with one, so that the parser does not drop it.
    void text(std::string_view value)
    {
        std::size_t pos = 0;
        if (!value.empty() && std::all_of(value.begin(), value.end(), isXmlSpace)) {
            out += "&#" + std::to_string(static_cast<int>(value[0])) + ";";
            pos = 1;
        }
        for (; pos < value.size(); ++pos) {
            const char c = value[pos];
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                controlCharacter(static_cast<unsigned char>(c));
                out += c;
            }
        }
    }

    void attributeValue(std::string_view value)
    {
        for (const char c : value) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                controlCharacter(static_cast<unsigned char>(c));
                out += c;
            }
        }
    }

    void controlCharacter(unsigned char c)
    {
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            constexpr char digits[] = "0123456789ABCDEF";
            refuse(std::string("Das Steuerzeichen U+00") + digits[c >> 4] + digits[c & 0xF] +
                   " kann in XML nicht gespeichert werden.");
        }
    }

    [[noreturn]] void refuse(const std::string& reason) { throw std::runtime_error(failure + " " + reason); }

    FileEncoding encoding;
    const std::string& failure;
};

// Whether the node's subtree is at most three levels deep, as a key element is: pugixml
// then frees it at once without danger.
bool shallow(const pugi::xml_node& node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        for (pugi::xml_node grandchild = child.first_child(); grandchild;
             grandchild = grandchild.next_sibling())
            if (grandchild.first_child())
                return false;
    return true;
}

// Removes `node` and everything below it: each step removes a node without children.
void removeSubtree(pugi::xml_node node)
{
    if (shallow(node)) {
        node.parent().remove_child(node);
        return;
    }
    const pugi::xml_node top = node;
    for (;;) {
        while (node.first_child())
            node = node.first_child();
        pugi::xml_node parent = node.parent();
        parent.remove_child(node);
        if (node == top)
            return;
        node = parent;
    }
}

} // namespace

std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const std::string& failure,
                      const pugi::xml_node& replaced, const ChildrenWriter& writeChildren)
{
    TreeWriter writer(encoding, failure);
    writer.write(tree, replaced, writeChildren);
    if (encoding == FileEncoding{})
        return std::move(writer.out);
    return XmlEncoding::fromUtf8(writer.out, encoding);
}

std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const std::string& failure)
{
    return serialise(tree, encoding, failure, pugi::xml_node(), [](std::string&) {});
}

void removeChild(const pugi::xml_node& parent, const pugi::xml_node& child)
{
    if (child.parent() == parent)
        removeSubtree(child);
}

void removeChildren(const pugi::xml_node& parent)
{
    while (const pugi::xml_node child = parent.first_child())
        removeSubtree(child);
}

namespace {

// What an ASCII byte needs in XML text and attribute values: nothing, an entity, or (for
// line breaks and tabs in attribute values) a character reference; "" marks a control
// character that XML cannot hold.
struct EscapeTable
{
    std::array<const char*, 128> text{};
    std::array<const char*, 128> attribute{};
    constexpr EscapeTable()
    {
        for (int c = 0; c < 32; ++c)
            text[c] = attribute[c] = "";
        text['\t'] = text['\n'] = text['\r'] = nullptr;
        attribute['\t'] = "&#9;";
        attribute['\n'] = "&#10;";
        attribute['\r'] = "&#13;";
        text['&'] = attribute['&'] = "&amp;";
        text['<'] = attribute['<'] = "&lt;";
        text['>'] = "&gt;";
        attribute['"'] = "&quot;";
    }
};
constexpr EscapeTable escapeTable;

bool appendEscaped(std::string& out, std::string_view text, bool doubled,
                   const std::array<const char*, 128>& table)
{
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80 && !table[c])
            continue;
        out.append(text.data() + run, i - run);
        run = i + 1;
        if (c >= 0x80)
            out += Windows1252::utf8Form(c, doubled);
        else if (*table[c])
            out += table[c];
        else
            return false;
    }
    out.append(text.data() + run, text.size() - run);
    return true;
}

} // namespace

bool appendText(std::string& out, std::string_view text, bool doubled)
{
    return appendEscaped(out, text, doubled, escapeTable.text);
}

bool appendAttribute(std::string& out, std::string_view text)
{
    return appendEscaped(out, text, false, escapeTable.attribute);
}

} // namespace XmlFile
