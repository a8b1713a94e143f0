#pragma once

#include "Clock.h"
#include "FileError.h"
#include "FileSnapshot.h"
#include "KeyList.h"
#include "KeyRecord.h"
#include "THashedStringList.h"
#include "XmlEncoding.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

// What writing the document achieved. A write that fails throws the user's German message
// and changes nothing on disk.
enum class WriteOutcome {
    Written,
    // Nothing was opened or created: there is no tree to write.
    NoTree,
    // The document was closed: its tree has no root element.
    NoRoot,
};

// The rows of the info block, in their order: "Projekt", "Name", "Sprache", "Version",
// "letzte Änderung".
enum InfoRow { rowProject = 0, rowName, rowLang, rowVersion, rowDate, infoRowCount };

// The language pack that is open: key list, the five per-key tables, the info values and
// the info block's value cells, the file state and the XML tree it was read from. All texts
// are Windows-1252 with CR LF line breaks; file names and messages are UTF-8.
class LanguagePack
{
public:
    LanguagePack();
    ~LanguagePack();
    LanguagePack(const LanguagePack&) = delete;
    LanguagePack& operator=(const LanguagePack&) = delete;

    // Read them anywhere; only the document's own operations change them: those that change
    // the document mark it changed, reading, writing and closing mark it saved.
    bool isSaved = true;
    bool isModified = false;
    THashedStringList ValueList;
    THashedStringList HtmlList;
    THashedStringList BreakList;
    THashedStringList UnixList;
    THashedStringList CommentList;
    std::string packName;
    std::string packVersion;
    std::string packDate;
    std::string packLang;
    // The file's name without its folder, as the file system spells it (UTF-8).
    std::string packFileName;
    std::string packProject;
    // The info block's value cells; they may hold the user's newer edits of the info values.
    std::array<std::string, infoRowCount> infoBlock;
    KeyList keys;
    Clock clock = systemClock;

    // The XML tree: none at start; a tree without root element after close.
    bool hasTree() const { return tree != nullptr; }
    // A tree with a root element: a pack that was opened or created and can be written.
    bool hasRootElement() const;
    // The last open stopped at a bad key: the tree is loaded but the key list and the tables
    // hold only the keys before it, so writing them over the file would lose the rest.
    bool readStoppedAtKey() const { return stoppedAtKey; }
    const std::string& xmlFileName() const { return treeFileName; }
    // The last open replaced characters that Windows-1252 lacks (best fit or "?"): writing the
    // document over that file would put the replaced texts in place of the originals.
    bool charactersReplaced() const { return replaced.count > 0; }
    // The keys (and info values) concerned, as the file names them: up to ten, then how many
    // more ("a, b und 3 weitere").
    std::string replacedCharactersList() const { return replaced.list(); }
    // The sentence that tells the user so: "Beim Lesen wurden Zeichen ersetzt, … : a, b."
    std::string replacedCharactersNote() const;
    // Another program has changed the opened file since it was last read or written here.
    bool fileChangedByOthers() const { return fileSeen.changedOnDisk(treeFileName); }
    void setXmlFileName(std::string path) { treeFileName = std::move(path); }

    // The document as a whole. Each empties or fills everything it holds: the key list and the
    // five tables, the info values and the info block, the file names, the tree, the state.
    // Open: the reading steps after the key list and the tables were emptied; saved once read.
    // Throws as readPack does, and is then left as far as the reading got.
    void open(const std::string& path);
    // A new document: the info values "Unnamed", "Package", "Lang", "1.0.0" and the clock's
    // time, no keys, no file, the new-document tree; it counts as changed.
    void createNew();
    // No document: no keys, empty info values, no file, a tree without root; saved.
    void close();

    // Writes the document into the tree and saves the tree to `path` in the encoding the
    // file was read in, replacing the file only once the new one is complete. Stamps the
    // time of the change first, whatever comes of it. Once written, the info values are the
    // info block's, `packFileName` names the file and the document counts as saved. Throws on
    // a failed write and on a document the file cannot hold, and writes nothing then.
    WriteOutcome write(const std::string& path);

    // The edits of `key` taken over into the five tables; a name holding "=" is refused (it
    // would store them under another key's name). Marks the document changed.
    void takeOver(std::string_view key, const KeyRecord& record);
    // A key added to the key list at its sorted place, no table entry yet; returns its row.
    int addKey(std::string_view name);
    // Keys added in one go: the same key list as adding them one by one, in time linear in
    // the list's length rather than one insertion each. No table entries; marks the document
    // changed.
    void addKeys(std::vector<std::string> names);
    // The key at `row` (-1: none is selected) named `key` becomes `name`: its comment and flags
    // move along, its text becomes `text`. Returns the row of `name`.
    int renameKey(int row, std::string_view key, std::string_view name, const std::string& text);
    // The key `key` loses its entries in all five tables, and the entry at `row` (-1: none)
    // leaves the key list. Returns the row to select next: the one before, the first, or -1.
    int removeKey(int row, std::string_view key);
    // Every entry of these names leaves the key list, whatever its letter case, and their
    // entries leave the five tables: one pass over the list rather than one removal each.
    // Marks the document changed, unless there are no names.
    void removeKeys(const std::vector<std::string>& names);

    // The file name an export or a first save proposes: project_name_lang.extension, from the
    // info values (Windows-1252).
    std::string proposedFileName(std::string_view extension) const;

    // Empties the key list and the five per-key tables (the table objects stay).
    void clearKeys();

    // The key's entries in the five tables, "" where a table has none.
    KeyRecord record(std::string_view key) const;
    // Sets the key's entries in the five tables by their rules: an empty text, comment or
    // flag removes that entry, any other replaces it in place or appends it.
    void setRecord(std::string_view key, const KeyRecord& record);
    // Info values into the info block's cells, and back.
    void infoValuesToBlock();
    void infoBlockToValues();
    // Some cell of the info block differs from what the file held when it was last read or
    // written: an edit no file holds yet, also once an export has copied it into the info
    // values.
    bool infoBlockEdited() const;
    void clearInfo();

    // The reading steps of an open: parse the file (the tree's file name becomes `path`;
    // on failure the tree is dropped), take `packFileName` from the path, read the root
    // attributes into the info values and the info block, read the keys and sort the key
    // list once. Throws std::runtime_error with the message for the user; a bad key (a
    // `value` or `comment` holding more than a text, a name holding "=") ends the reading
    // there and leaves the keys before it (readStoppedAtKey).
    void readPack(const std::string& path);

    // packDate and info-block row 5 := the clock's current time.
    void stampLastChange();

    // The tree a new document starts from; its file name becomes empty.
    void loadNewDocumentTree();
    // Close: drop the tree, empty its file name and create an empty tree without root.
    void resetTree();

private:
    void markChanged();
    void markSaved();
    KeyRecordView recordView(std::string_view key, std::size_t hash) const;
    void appendKeyElements(std::string& out, const FileError& failure) const;
    void readKeys(pugi::xml_node content);
    void stopAtKey();
    std::size_t reserveFor(const pugi::xml_node& content);

    struct ReplacedCharacters
    {
        static constexpr std::size_t shownNames = 10;
        std::vector<std::string> names;
        std::size_t count = 0;
        void add(std::string name);
        std::string list() const;
    };

    std::unique_ptr<pugi::xml_document> tree;
    std::string treeFileName;
    FileEncoding encoding;
    bool stoppedAtKey = false;
    ReplacedCharacters replaced;
    FileSnapshot fileSeen;
    // The info block as the file held it when last read or written.
    std::array<std::string, infoRowCount> infoSeen;
};

// The version raised before a save in place: major.minor.patch with patch + 1, parts that
// are not integers counting as 0 (1.2 → 1.2.1, abc → 0.0.1, 1.2.3.4 → 1.2.1).
std::string bumpVersion(std::string_view version);

// The part of a path after its last "/", empty when it has none.
std::string fileNamePart(std::string_view path);
