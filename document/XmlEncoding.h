#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The character encodings a pack file may use. The encoding is decided once, when the file
// is read, from its byte-order mark and its XML declaration the way a conforming XML parser
// decides it, and the file is written in that same encoding again.
struct FileEncoding
{
    enum Kind { utf8, utf16le, utf16be, latin1, windows1252 };
    Kind kind = utf8;
    // The file began with a byte-order mark; it is written with one again.
    bool byteOrderMark = false;

    bool eightBit() const { return kind == latin1 || kind == windows1252; }
    // The encoding's name in messages: "UTF-8", "UTF-16LE", "ISO-8859-1", ...
    const char* name() const;
    bool operator==(const FileEncoding&) const = default;
};

namespace XmlEncoding {

// What the first bytes of a file say about its encoding.
struct Detection
{
    FileEncoding encoding;
    std::size_t byteOrderMarkLength = 0;
    // The file starts with an XML declaration (right after its byte-order mark).
    bool declaration = false;
    // Why the file cannot be read, as the rest of a message after "Datei \"...\" "; empty
    // when it can.
    std::string problem;
};
Detection detect(std::string_view bytes);

// The file's bytes after the byte-order mark, in a UTF-16 or an 8-bit encoding, as UTF-8.
// The five bytes windows-1252 leaves undefined stand for the code points of the same
// number, as the program has always read them; they are written back as references.
// `problem` names what is no text of the encoding (a lone UTF-16 surrogate); the text then
// ends where it stands.
std::string toUtf8(std::string_view bytes, FileEncoding encoding, std::string& problem);

// True when the encoding holds the character as it is, without a character reference.
bool holds(FileEncoding encoding, char32_t character);

// UTF-8 text as the file's bytes, the byte-order mark included when the encoding has one.
// In the 8-bit encodings a character they lack becomes a character reference: the caller
// puts such characters only where references are allowed (text and attribute values).
std::string fromUtf8(std::string_view utf8, FileEncoding encoding);

// Decodes the UTF-8 character at `pos` and moves `pos` past it; the text must be valid UTF-8.
char32_t nextCharacter(std::string_view utf8, std::size_t& pos);

} // namespace XmlEncoding
