#include "XmlFile.h"

#include "Windows1252.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace XmlFile {
namespace {

enum class Encoding { utf8, utf16, latin1, windows1252 };

std::string systemError(int error)
{
    return std::strerror(error);
}

[[noreturn]] void fail(const std::string& path, const std::string& what)
{
    throw std::runtime_error("Datei \"" + path + "\" " + what);
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

// The encoding attribute of an 8-bit declaration at the start of the bytes, or "".
std::string declaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 5) != "<?xml")
        return {};
    const std::string_view decl = bytes.substr(0, bytes.find("?>"));
    const std::size_t at = decl.find("encoding");
    if (at == std::string_view::npos)
        return {};
    std::size_t pos = decl.find_first_of("\"'", at);
    if (pos == std::string_view::npos)
        return {};
    const char quote = decl[pos];
    const std::size_t end = decl.find(quote, pos + 1);
    if (end == std::string_view::npos)
        return {};
    return std::string(decl.substr(pos + 1, end - pos - 1));
}

// Maps a declared encoding name to one the reader and writer handle; throws for others.
Encoding encodingNamed(const std::string& name, const std::string& path)
{
    const std::string n = lowerAscii(name);
    if (n.empty() || n == "utf-8" || n == "utf8")
        return Encoding::utf8;
    if (n == "utf-16" || n == "utf-16le" || n == "utf-16be")
        return Encoding::utf16;
    if (n == "iso-8859-1" || n == "iso_8859-1" || n == "iso_8859_1" || n == "latin1" || n == "latin-1")
        return Encoding::latin1;
    if (n == "windows-1252" || n == "cp1252")
        return Encoding::windows1252;
    fail(path, "verwendet die Zeichenkodierung \"" + name + "\", die nicht unterstützt wird.");
}

bool startsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
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

void readAll(const std::string& path, FileBuffer& buffer)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(path, "kann nicht gelesen werden. " + systemError(errno));
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        fail(path, "kann nicht gelesen werden. " + systemError(error));
    }
    buffer.allocate(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < buffer.size) {
        const ssize_t n = ::read(fd, buffer.data + done, buffer.size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            fail(path, "kann nicht gelesen werden. " + systemError(error));
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    buffer.size = done;
}

std::pair<int, int> lineAndColumn(std::string_view text, std::ptrdiff_t offset)
{
    const auto end = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(offset, 0, std::ssize(text)));
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (text[i] == '\n')
            ++line, lineStart = i + 1;
    return {line, static_cast<int>(end - lineStart) + 1};
}

struct StringWriter : pugi::xml_writer
{
    std::string out;
    void write(const void* data, std::size_t size) override
    {
        out.append(static_cast<const char*>(data), size);
    }
};

Encoding treeEncoding(const pugi::xml_document& tree, const std::string& path)
{
    for (pugi::xml_node n = tree.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_declaration)
            return encodingNamed(n.attribute("encoding").value(), path);
    return Encoding::utf8;
}

// UTF-8 into an 8-bit encoding; a character the encoding lacks becomes a character
// reference, which is valid where the writer puts new text (attribute values and text).
std::string toEightBit(std::string_view utf8, Encoding encoding)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) {
            out += utf8[pos++];
            continue;
        }
        std::size_t length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        length = std::min(length, utf8.size() - pos);
        const std::string_view one = utf8.substr(pos, length);
        pos += length;
        char32_t cp = b & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
        for (std::size_t i = 1; i < one.size(); ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(one[i]) & 0x3F);
        if (encoding == Encoding::latin1 && cp <= 0xFF)
            out += static_cast<char>(cp);
        else if (encoding == Encoding::windows1252 && Windows1252::representable(one))
            out += Windows1252::fromUtf8(one);
        else
            out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    }
    return out;
}

// Parsed as a fragment, so that text beside the root shows; XML wants exactly one root
// and nothing but markup beside it. Returns what is wrong, or "".
std::string rootProblem(const pugi::xml_document& tree)
{
    int elements = 0;
    for (pugi::xml_node n = tree.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element)
            ++elements;
        else if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            return "Text außerhalb des Wurzelelements";
    }
    if (elements == 0)
        return "kein Wurzelelement gefunden";
    return elements > 1 ? "mehr als ein Wurzelelement" : "";
}

} // namespace

void load(pugi::xml_document& tree, const std::string& path)
{
    FileBuffer buffer;
    readAll(path, buffer);
    const std::string_view bytes = buffer.view();
    pugi::xml_encoding encoding = pugi::encoding_auto;
    bool windows1252 = false;
    const bool utf16Bom = startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF");
    const bool utf16Bare =
        startsWith(bytes, std::string_view("<\0?\0", 4)) || startsWith(bytes, std::string_view("\0<\0?", 4));
    if (!utf16Bom && !utf16Bare) {
        const bool utf8Bom = startsWith(bytes, "\xEF\xBB\xBF");
        switch (encodingNamed(declaredEncoding(bytes.substr(utf8Bom ? 3 : 0)), path)) {
        case Encoding::utf8:
            encoding = pugi::encoding_utf8;
            break;
        case Encoding::utf16:
            fail(path, "ist als UTF-16 deklariert, aber nicht so kodiert.");
        case Encoding::latin1:
            encoding = pugi::encoding_latin1;
            break;
        case Encoding::windows1252: {
            // pugixml knows no Windows-1252: the bytes become UTF-8 first.
            const std::string utf8 = Windows1252::toUtf8(bytes);
            buffer.allocate(utf8.size());
            std::memcpy(buffer.data, utf8.data(), utf8.size());
            encoding = pugi::encoding_utf8;
            windows1252 = true;
            break;
        }
        }
    }
    constexpr unsigned flags = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                               pugi::parse_pi | pugi::parse_doctype | pugi::parse_fragment;
    const std::size_t size = buffer.size;
    const pugi::xml_parse_result result = tree.load_buffer_inplace_own(buffer.take(), size, flags, encoding);
    if (result) {
        if (const std::string problem = rootProblem(tree); !problem.empty()) {
            tree.reset();
            fail(path, "ist kein gültiges XML: " + problem);
        }
        // A file recognised by its byte-order mark still has to name an encoding that
        // can be written back.
        try {
            treeEncoding(tree, path);
        } catch (...) {
            tree.reset();
            throw;
        }
        return;
    }
    tree.reset();
    std::string where = " (Position " + std::to_string(result.offset) + ")";
    if (encoding == pugi::encoding_utf8) {
        // The parser changed its buffer in place; the line is counted in the file itself.
        readAll(path, buffer);
        const std::string text =
            windows1252 ? Windows1252::toUtf8(buffer.view()) : std::string(buffer.view());
        const auto [line, column] = lineAndColumn(text, result.offset);
        where = " (Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column) + ")";
    }
    fail(path, std::string("ist kein gültiges XML: ") + result.description() + where);
}

std::string serialiseUtf8(const pugi::xml_document& tree)
{
    StringWriter writer;
    tree.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.out);
}

std::string encodeFor(const pugi::xml_document& tree, std::string utf8)
{
    const Encoding encoding = treeEncoding(tree, "");
    if (encoding == Encoding::utf8)
        return utf8;
    if (encoding != Encoding::utf16)
        return toEightBit(utf8, encoding);
    std::string out = "\xFF\xFE";
    out.reserve(2 + utf8.size() * 2);
    auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[pos]);
        const std::size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        char32_t cp = length == 1 ? b : b & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
        for (std::size_t i = 1; i < length && pos + i < utf8.size(); ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[pos + i]) & 0x3F);
        pos += length;
        if (cp < 0x10000) {
            unit(cp);
        } else {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string serialise(const pugi::xml_document& tree)
{
    return encodeFor(tree, serialiseUtf8(tree));
}

namespace {

// What an ASCII byte needs in XML text and attribute values: nothing, an entity, or
// (for control characters) a character reference.
struct EscapeTable
{
    std::array<const char*, 128> text{};
    std::array<const char*, 128> attribute{};
    constexpr EscapeTable()
    {
        constexpr const char* references[32] = {
            "",      "&#1;",  "&#2;",  "&#3;",  "&#4;",  "&#5;",  "&#6;",  "&#7;",  "&#8;",  "&#9;",  "&#10;",
            "&#11;", "&#12;", "&#13;", "&#14;", "&#15;", "&#16;", "&#17;", "&#18;", "&#19;", "&#20;", "&#21;",
            "&#22;", "&#23;", "&#24;", "&#25;", "&#26;", "&#27;", "&#28;", "&#29;", "&#30;", "&#31;"};
        for (int c = 0; c < 32; ++c)
            text[c] = attribute[c] = references[c];
        text['\t'] = text['\n'] = text['\r'] = nullptr;
        text['&'] = attribute['&'] = "&amp;";
        text['<'] = attribute['<'] = "&lt;";
        text['>'] = "&gt;";
        attribute['"'] = "&quot;";
    }
};
constexpr EscapeTable escapeTable;

void appendEscaped(std::string& out, std::string_view text, bool doubled,
                   const std::array<const char*, 128>& table)
{
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80 && !table[c])
            continue;
        out.append(text.data() + run, i - run);
        run = i + 1;
        if (c < 0x80)
            out += table[c];
        else
            out += Windows1252::utf8Form(c, doubled);
    }
    out.append(text.data() + run, text.size() - run);
}

} // namespace

void appendText(std::string& out, std::string_view text, bool doubled)
{
    appendEscaped(out, text, doubled, escapeTable.text);
}

void appendAttribute(std::string& out, std::string_view text)
{
    appendEscaped(out, text, false, escapeTable.attribute);
}

} // namespace XmlFile
