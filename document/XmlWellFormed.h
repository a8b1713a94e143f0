#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

// The rules of well-formed XML that pugixml does not check itself but libxml2 does. A file
// that breaks them is refused on reading: kept, it would be saved into a file that other
// XML readers refuse, or read back as another document.
namespace XmlWellFormed {

// What is wrong and where: `offset` counts bytes of the UTF-8 text, -1 when unknown.
struct Problem
{
    std::string what;
    std::ptrdiff_t offset = -1;
    explicit operator bool() const { return !what.empty(); }
};

// Elements may nest this deep, as in libxml2; deeper files are refused.
inline constexpr int maxDepth = 256;

// Whether an offset of a text lies where "&#" is plain text: in a comment, a CDATA section
// or a processing instruction. The scan only moves forward, so all questions about one
// text cost one pass over it.
class MarkupContext
{
public:
    // `offset` holds the "&" of a reference, which no end of markup contains; `text` is the
    // text so far, at least up to `offset`.
    bool literalAt(std::string_view text, std::size_t offset);

private:
    enum class State { text, tag, comment, cdata, pi };
    void step(std::string_view before);
    void skipPast(std::string_view before, std::string_view end);

    std::size_t pos = 0;
    State state = State::text;
    char quote = 0;
};

// The characters of a file's UTF-8 text: valid UTF-8, only characters XML allows (no
// control characters but tab, line feed and carriage return, no U+FFFE or U+FFFF), and
// every character reference a well-formed one to such a character. References are not
// checked inside comments, CDATA sections and processing instructions, where they are
// plain text. The text may arrive piece by piece, so that each piece is checked while it
// is still in the processor's cache.
class CharacterCheck
{
public:
    // Checks what `text`, all of the text that has arrived, holds beyond what was checked
    // before: up to its end when it is `complete`, else up to where a character or a
    // reference may still go on in the next piece.
    Problem advance(std::string_view text, bool complete);

private:
    std::size_t pos = 0;
    MarkupContext context;
};

// The same for a whole text.
Problem characters(std::string_view text);

// The structure of a parsed tree: one root element and no text beside it, an XML
// declaration only where the file started with one, at most one DOCTYPE before the root,
// elements no deeper than maxDepth, names that are XML names, no attribute twice in an
// element, no "--" in a comment, no processing instruction named "xml". The children of
// `dropped` are not checked: the caller reads what it needs of them and drops them.
Problem structure(const pugi::xml_document& tree, bool declarationAtStart, const pugi::xml_node& dropped);

// Whether the UTF-8 text is an XML name.
bool isName(std::string_view name);

} // namespace XmlWellFormed
