// The pack reader and writer on arbitrary files: whatever the reader accepts, the writer must
// either save so that reading the saved file gives the same document, with nothing of the tree
// outside the keys lost, or refuse the save and leave the old file alone. Saving that
// document again must give the same bytes.

#include "FuzzSupport.h"
#include "LanguagePack.h"
#include "Windows1252.h"
#include "XmlFile.h"

#include <pugixml.hpp>

#include <map>
#include <set>
#include <stdexcept>

namespace {

// A read pack always has a tree with a root element.
void expectWritten(WriteOutcome outcome)
{
    if (outcome != WriteOutcome::Written)
        propertyFailed("the writer found no tree or no root in a read pack");
}

const LocalDateTime fixedTime = {2007, 3, 5, 9, 7};
constexpr const char* fixedDate = "2007-03-05 09:07";

// A table as upper-cased name → value; with `only`, just the names it holds.
std::map<std::string, std::string> tableContents(const THashedStringList& table,
                                                 const std::set<std::string>* only = nullptr)
{
    std::map<std::string, std::string> contents;
    for (int i = 0; i < table.count(); ++i) {
        std::string name = Windows1252::upperCase(table.nameAt(i));
        if (!only || only->contains(name))
            contents[name] = table.valueAt(i);
    }
    return contents;
}

std::string describe(const std::map<std::string, std::string>& contents)
{
    std::string out;
    for (const auto& [name, value] : contents)
        out += name + "=" + value + "\n";
    return out;
}

// Everything the document read: key list, the five tables, the info values.
void expectSameDocument(const LanguagePack& first, const LanguagePack& second)
{
    std::string firstKeys, secondKeys;
    for (const std::string& key : first.keys.items())
        firstKeys += key + "\n";
    for (const std::string& key : second.keys.items())
        secondKeys += key + "\n";
    expectEqual(secondKeys, firstKeys, "the key list changed on the way through the file");

    for (const std::string& key : first.keys.items()) {
        const KeyRecord a = first.record(key);
        const KeyRecord b = second.record(key);
        const std::string where = " of key \"" + printable(key) + "\" changed";
        expectEqual(b.text, a.text, "the text" + where);
        expectEqual(b.comment, a.comment, "the comment" + where);
        expectEqual(b.htmlFlag, a.htmlFlag, "encodeHTML" + where);
        expectEqual(b.breakFlag, a.breakFlag, "preserveLinebreaks" + where);
        expectEqual(b.unixFlag, a.unixFlag, "unixNewline" + where);
    }

    // Texts and comments are stored only for listed keys, so each entry must come through.
    // Flags of a key element without children belong to no listed key and are dropped.
    std::set<std::string> listed;
    for (const std::string& key : first.keys.items())
        listed.insert(Windows1252::upperCase(key));
    const std::pair<const THashedStringList LanguagePack::*, const char*> tables[] = {
        {&LanguagePack::ValueList, "ValueList"},
        {&LanguagePack::CommentList, "CommentList"},
        {&LanguagePack::HtmlList, "HtmlList"},
        {&LanguagePack::BreakList, "BreakList"},
        {&LanguagePack::UnixList, "UnixList"}};
    for (const auto& [table, name] : tables) {
        const bool flags = table != &LanguagePack::ValueList && table != &LanguagePack::CommentList;
        expectEqual(describe(tableContents(second.*table, flags ? &listed : nullptr)),
                    describe(tableContents(first.*table, flags ? &listed : nullptr)),
                    std::string("the entries of ") + name + " changed");
    }

    expectEqual(second.packProject, first.packProject, "the project changed");
    expectEqual(second.packName, first.packName, "the name changed");
    expectEqual(second.packLang, first.packLang, "the language changed");
    expectEqual(second.packVersion, first.packVersion, "the version changed");
    expectEqual(second.packDate, fixedDate, "the date is not the time of the save");
}

// The tree of a file without what a save rewrites: the values of the five info attributes
// (missing ones count as appended, as the writer appends them) and the children of the
// first `content` element (a missing one counts as appended).
std::string treeOutsideTheKeys(const std::string& path)
{
    pugi::xml_document tree;
    XmlFile::load(tree, path, "content");
    pugi::xml_node root = tree.document_element();
    for (const char* name : {"project", "name", "lang", "version", "date"}) {
        pugi::xml_attribute a = root.attribute(name);
        if (!a)
            a = root.append_attribute(name);
        a.set_value("");
    }
    pugi::xml_node content = root.child("content");
    if (!content)
        content = root.append_child("content");
    // In UTF-8, whatever the file's encoding: the same tree reads the same in any. The
    // content of `content` is left out as the writer leaves it out.
    FileEncoding utf8;
    utf8.kind = FileEncoding::utf8;
    return XmlFile::serialise(tree, utf8, FileError("tree", FileError::Step::save), content,
                              [](std::string&) {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = scratch().path("input.xml");
    const std::string saved = scratch().path("saved.xml");
    const std::string savedAgain = scratch().path("saved-again.xml");
    writeFile(input, std::string_view(reinterpret_cast<const char*>(data), size));

    LanguagePack first;
    first.clock = [] { return fixedTime; };
    try {
        first.readPack(input);
    } catch (const std::runtime_error&) {
        return 0; // refused with a message for the user: that is the reader's right
    }

    // A save either writes a file that reads back to the same document, or is refused with
    // a message and leaves the old file as it was.
    writeFile(saved, "old");
    try {
        expectWritten(first.write(saved));
    } catch (const std::runtime_error&) {
        expectEqual(readFile(saved), "old", "a refused save changed the old file");
        return 0;
    }

    LanguagePack second;
    second.clock = [] { return fixedTime; };
    try {
        second.readPack(saved);
    } catch (const std::runtime_error& e) {
        propertyFailed(std::string("the reader refused the file the writer made: ") + e.what());
    }
    expectSameDocument(first, second);
    expectEqual(treeOutsideTheKeys(saved), treeOutsideTheKeys(input), "the tree outside the keys changed");

    try {
        expectWritten(second.write(savedAgain));
    } catch (const std::runtime_error& e) {
        propertyFailed(std::string("the writer failed on its own file: ") + e.what());
    }
    expectEqual(readFile(savedAgain), readFile(saved), "saving the saved pack again changed the file");
    return 0;
}
