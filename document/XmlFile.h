#pragma once

#include <string>

namespace pugi {
class xml_document;
}

// Reading and writing the XML tree of a pack in the encoding its declaration names.
namespace XmlFile {

// Parses the file into `tree`. UTF-8, UTF-16, ISO-8859-1 and windows-1252 are read; any
// other declared encoding, an unreadable file and XML that is not well-formed throw
// std::runtime_error naming the file. Whitespace-only text nodes are dropped; entities
// other than the predefined ones are never expanded or fetched.
void load(pugi::xml_document& tree, const std::string& path);

// The tree as bytes, unindented, in the encoding of its declaration (UTF-8 without one).
std::string serialise(const pugi::xml_document& tree);

// The same in two steps: the tree as UTF-8 text, and UTF-8 text of that tree in its
// declared encoding (characters the encoding lacks become character references).
std::string serialiseUtf8(const pugi::xml_document& tree);
std::string encodeFor(const pugi::xml_document& tree, std::string utf8);

// Appends a Windows-1252 text as escaped XML: each byte converted to UTF-8 plainly or, with
// `doubled`, UTF-8-in-8-bit; & < > escaped, and in an attribute value also " and the
// line-break and tab characters. NUL cannot stand in XML and is left out.
void appendText(std::string& out, std::string_view text, bool doubled);
void appendAttribute(std::string& out, std::string_view text);

} // namespace XmlFile
