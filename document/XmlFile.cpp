#include "XmlFile.h"

#include "FileError.h"
#include "SystemError.h"
#include "XmlWellFormed.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace XmlFile {
namespace {

[[noreturn]] void failToRead(const std::string& path, const std::string& reason)
{
    throw FileError(path, FileError::Step::read, reason);
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
    throw FileError(path, FileError::Step::parse, what + position(text, offset));
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
        throw FileError(path, FileError::Step::detectEncoding, detection.problem);
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

} // namespace XmlFile
