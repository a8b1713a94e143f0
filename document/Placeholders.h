#pragma once

#include <string>
#include <string_view>
#include <vector>

// The parts of a text that a program fills in at run time, which a translation must keep:
// - a printf conversion as PHP's sprintf reads it: "%", an optional argument number with
//   "$", optional flags ("-", "+", blank, "0", "'" and a padding character), an optional
//   width, an optional "." precision, and one of b c d e E f F g G o s u x X ("%%" is none);
// - a name in braces: "{", letters, digits or "_", "}" ("{name}", "{0}").
// Texts are Windows-1252; a letter is one of its letters.
namespace Placeholders {

// The placeholders of the text as they stand in it, in their order; each views the text.
void find(std::string_view text, std::vector<std::string_view>& found);

// The same as copies, sorted by their bytes: what two texts are compared by.
std::vector<std::string> sorted(std::string_view text);

// Both texts hold the same placeholders as often, in whatever order: a translation may
// reorder its arguments.
bool same(std::string_view a, std::string_view b);

} // namespace Placeholders
