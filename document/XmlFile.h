#pragma once

#include "FileError.h"
#include "FileSnapshot.h"
#include "XmlEncoding.h"

#include <functional>
#include <string>
#include <string_view>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

// Reading and writing the XML tree of a pack, in the encoding the file is in.
namespace XmlFile {

// Parses the file into `tree` and returns its encoding. UTF-8, UTF-16, ISO-8859-1 and
// windows-1252 are read. A path that is no regular file or cannot be read, another
// encoding, and XML that is not well-formed throw FileError (with line and column where the
// XML breaks); the tree is then empty. Whitespace-only text nodes
// are dropped; a text that is an element's first child is held as the element's value;
// entities other than the predefined ones are never expanded or fetched. The
// children of the root's first child element named `dropped` are left to the caller, which
// reads them and drops them (XmlWellFormed::structure).
// `seen` receives what was read of the file, to tell later whether another program changed it.
FileEncoding load(pugi::xml_document& tree, const std::string& path, const char* dropped = nullptr,
                  FileSnapshot* seen = nullptr);

// The tree as the bytes of a file in `encoding`, unindented. The children of `replaced`
// are not written: `writeChildren` appends XML text in their place to the UTF-8 text
// written so far. A tree holding what the file cannot hold (a character XML does not
// allow; outside text and attribute values, a character the encoding lacks) throws
// `failure` with the reason as its cause or, where `failure` is a text, std::runtime_error
// with that text, a blank and the reason.
using ChildrenWriter = std::function<void(std::string& utf8)>;
std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const FileError& failure,
                      const pugi::xml_node& replaced, const ChildrenWriter& writeChildren);
std::string serialise(const pugi::xml_document& tree, FileEncoding encoding, const FileError& failure);

// Removes `child` of `parent` with its subtree, or all children of `parent`, deepest nodes
// first: pugixml frees a subtree recursively, and a hostile file can nest elements deep
// enough to exhaust the stack.
void removeChild(const pugi::xml_node& parent, const pugi::xml_node& child);
void removeChildren(const pugi::xml_node& parent);

// Appends a Windows-1252 text as escaped XML, each byte converted to UTF-8 plainly or, with
// `doubled`, UTF-8-in-8-bit, by the rules the tree's own texts are written with: & < > escaped
// in text; & < " and the tab and line-break characters in an attribute value. appendText is
// for the text of a `value` or `comment`, whose reader makes every line break CR LF by
// itself: a carriage return there stays as it stands. False when the text holds a control
// character other than tab, line feed and carriage return, which XML cannot hold at all.
bool appendText(std::string& out, std::string_view text, bool doubled);
bool appendAttribute(std::string& out, std::string_view text);

} // namespace XmlFile
