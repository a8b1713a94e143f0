// The rule every save keeps: the saved file reads back to the same document and libxml2
// reads it too, or the save is refused and the old file stays as it was. Checked over a
// corpus: the example packs, the hostile files below and generated packs in every encoding.
#include "LanguagePack.h"
#include "PackCorpus.h"
#include "Process.h"
#include "TempDir.h"
#include "XmlFile.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool xmllintReads(const std::string& path)
{
    return runCommand("xmllint --noout " + shellQuote(path) + " 2>&1").exitCode == 0;
}

// The tree without `content` and the five info attributes, which the key list, the tables
// and the info values stand for.
std::string restOfTree(const std::string& path)
{
    pugi::xml_document tree;
    XmlFile::load(tree, path, "content");
    pugi::xml_node root = tree.document_element();
    XmlFile::removeChild(root, root.child("content"));
    for (const char* name : {"project", "name", "lang", "version", "date"})
        root.remove_attribute(name);
    return XmlFile::serialise(tree, {}, FileError(path, FileError::Step::save));
}

// What the document holds of its keys and info values, line by line, for a readable diff.
std::string documentOf(const LanguagePack& pack)
{
    std::string out =
        pack.packProject + "|" + pack.packName + "|" + pack.packLang + "|" + pack.packVersion + "\n";
    for (const std::string& key : pack.keys.items()) {
        const KeyRecord r = pack.record(key);
        out += key + "|" + r.text + "|" + r.comment + "|" + r.htmlFlag + "|" + r.breakFlag + "|" +
               r.unixFlag + "\n";
    }
    return out;
}

// Reads `path`, saves it over a file that holds "old" and checks the rule.
void expectSaveRule(const std::string& path, const TempDir& dir)
{
    SCOPED_TRACE(path);
    LanguagePack pack;
    pack.readPack(path);
    const std::string saved = dir.write("saved.xml", "old");
    try {
        ASSERT_EQ(pack.write(saved), WriteOutcome::Written);
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(TempDir::read(saved), "old") << e.what();
        return;
    }
    EXPECT_TRUE(xmllintReads(saved)) << runCommand("xmllint --noout " + shellQuote(saved) + " 2>&1").out;
    LanguagePack again;
    again.readPack(saved);
    EXPECT_EQ(documentOf(again), documentOf(pack));
    EXPECT_EQ(restOfTree(saved), restOfTree(path));
}

std::string repeated(const std::string& piece, int times)
{
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string nested(int depth)
{
    return repeated("<n>", depth) + repeated("</n>", depth);
}

std::string inContent(const std::string& content, const std::string& declaration = "")
{
    return declaration + "<languagepack project=\"p\"><info>i</info><content>" + content +
           "</content></languagepack>";
}

using PackCorpus::encode;
using Encoding = PackCorpus::Encoding;

// Files that read and keep the rule when saved: the name of the finding, the file.
std::vector<std::pair<std::string, std::string>> readableReproducers()
{
    std::string flags;
    for (const char* flag : {"1", ""})
        for (int i = 0; i < 100000; ++i)
            flags += "<key id=\"k" + std::to_string(i) + "\" encodeHTML=\"" + flag + "\"/>";
    return {
        {"200,000 deep in content", inContent(nested(200000) + "<key id=\"k\"><value>v</value></key>")},
        {"200,000 deep in a key", inContent("<key id=\"k\"><value>v</value>" + nested(200000) + "</key>")},
        {"a flag set and cleared for 100,000 keys", inContent(flags)},
        {"5,000,000 empty elements", inContent(repeated("<a/>", 5000000))},
        {"UTF-16BE", encode(inContent("<key id=\"k\"><value>Ã¤ 日</value></key>",
                                      "<?xml version=\"1.0\" encoding=\"UTF-16BE\"?>"),
                            Encoding::utf16be)},
        {"a byte windows-1252 leaves undefined",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><languagepack>\x81</languagepack>"},
        {"references in a comment are text", "<languagepack><!-- &#0; &#xF7F600; --></languagepack>"},
        {"CR outside content",
         "<languagepack><info>a&#13;b&#13;&#10;c</info><x a=\"&#13;\">&#13;</x></languagepack>"},
    };
}

// Files that are refused on reading: part of the message, the file.
std::vector<std::pair<std::string, std::string>> refusedReproducers()
{
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    return {
        {"mehr als 256 Ebenen", "<languagepack><info>" + nested(200000) + "</info></languagepack>"},
        {"XML-Deklaration nur am Anfang der Datei erlaubt (Zeile 2, Spalte 1)",
         "\n" + latin1 + "<languagepack/>"},
        {"XML-Deklaration nur am Anfang", "<!-- c -->" + latin1 + "<languagepack/>"},
        {"XML-Deklaration nur am Anfang", "<?pi x?><?xml version=\"1.0\"?><languagepack/>"},
        {"XML-Deklaration nur am Anfang", latin1 + "<?xml version=\"1.0\"?><languagepack project=\"\xE4\"/>"},
        {"fehlerhafte XML-Deklaration",
         "<?xml version=\"1.0\" xencoding=\"ISO-8859-1\"?><languagepack project=\"ä\"/>"},
        {"ist als ISO-8859-1 deklariert, aber als UTF-16LE kodiert.",
         encode(latin1 + "<languagepack><日/><!-- 日 --></languagepack>", Encoding::utf16le)},
        {"ist als windows-1252 deklariert, aber als UTF-16BE kodiert.",
         encode("<?xml version=\"1.0\" encoding=\"windows-1252\"?><languagepack><?pi 日?></languagepack>",
                Encoding::utf16be)},
        {"ungültiger Zeichenverweis \"&#xF7F600;\"",
         inContent("<key id=\"k\"><value>&#xF7F600;</value></key>")},
        {"ungültiger Zeichenverweis \"&#0;\"", inContent("<key id=\"k\" a=\"x&#0;y\"/>")},
        {"ungültiger Zeichenverweis", "<languagepack><info>&#xD800;</info></languagepack>"},
        {"ungültiges Zeichen U+0001 (Zeile 1, Spalte 22)", "<languagepack><info>a\x01</info></languagepack>"},
        {"ungültige UTF-8-Bytefolge", "<languagepack project=\"\xFF\"/>"},
        {"Schlüssel \"a=b\": Ein Schlüssel darf kein \"=\" enthalten.",
         inContent("<key id=\"a\"><value>one</value></key><key id=\"a=b\"><value>two</value></key>")},
        {"zweimal", "<languagepack project=\"a\" project=\"b\"/>"},
        {"\"--\" in einem Kommentar", "<languagepack><!-- a -- b --></languagepack>"},
    };
}

void expectRefusal(const std::string& path, const std::string& refusal)
{
    LanguagePack pack;
    try {
        pack.readPack(path);
        ADD_FAILURE() << "no error for " << refusal;
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(refusal), std::string::npos) << e.what();
    }
}

TEST(SaveRule, HostileFilesAreReadAndSavedByTheRuleOrRefusedCleanly)
{
    TempDir dir;
    for (const auto& [name, bytes] : readableReproducers()) {
        SCOPED_TRACE(name);
        expectSaveRule(dir.write("reproducer.xml", bytes), dir);
    }
    for (const auto& [refusal, bytes] : refusedReproducers())
        expectRefusal(dir.write("reproducer.xml", bytes), refusal);
    // A pipe, with or without a writer, and a device once blocked the reading or read as empty.
    ::mkfifo(dir.path("pipe.xml").c_str(), 0600);
    ::mkfifo(dir.path("fed.xml").c_str(), 0600);
    const int writer = ::open(dir.path("fed.xml").c_str(), O_RDWR | O_NONBLOCK);
    EXPECT_EQ(::write(writer, "<languagepack/>", 15), 15);
    for (const std::string& path : {dir.path("pipe.xml"), dir.path("fed.xml"), std::string("/dev/zero")})
        expectRefusal(path, "kann nicht gelesen werden. Das ist keine gewöhnliche Datei.");
    ::close(writer);
}

TEST(SaveRule, GeneratedPacksInEveryEncodingKeepTheRule)
{
    for (const Encoding e : {Encoding::utf8, Encoding::utf8WithMark, Encoding::utf16le, Encoding::utf16be,
                             Encoding::latin1, Encoding::windows1252})
        for (unsigned number = 1; number <= 8; ++number) {
            SCOPED_TRACE(std::string(PackCorpus::declaredName(e)) + " " + std::to_string(number));
            TempDir dir;
            const std::string path = dir.write("generated.xml", encode(PackCorpus::generated(number, e), e));
            ASSERT_TRUE(xmllintReads(path)) << PackCorpus::generated(number, e);
            expectSaveRule(path, dir);
        }
}

// Room was once reserved for every child of `content` before it was known to be a key.
TEST(SaveRule, ManyEmptyElementsTakeMemoryInProportionToTheFile)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP()
        << "the sanitizer's own bookkeeping outweighs the reader's memory; the ordinary build checks it";
#endif
    TempDir dir;
    const std::string path = dir.write("empty.xml", inContent(repeated("<a/>", 5000000)));
    const pid_t child = fork();
    if (child == 0) {
        LanguagePack pack;
        pack.readPack(path);
        _exit(pack.keys.empty() ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    EXPECT_EQ(status, 0);
    // pugixml's tree alone takes some 16 times the bytes of such a file.
    EXPECT_LT(usage.ru_maxrss * 1024, 25 * static_cast<long>(TempDir::read(path).size()));
}

// Files the fuzzing of the reader and writer found (fuzz/pack): each once read into a
// document that a save changed or made unreadable. Now each is refused or keeps the rule.
TEST(SaveRule, FilesTheFuzzerFoundAreRefusedOrKeepTheRule)
{
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KORVEL_FUZZ_FINDINGS_DIR)) {
        TempDir dir;
        try {
            LanguagePack().readPack(entry.path().string());
        } catch (const std::runtime_error&) {
            continue;
        }
        ++read;
        expectSaveRule(entry.path().string(), dir);
    }
    EXPECT_GT(read, 0);
}

TEST(SaveRule, ExamplePacksKeepTheRule)
{
    for (const char* name : {"shop_frontend_de.xml", "shop_frontend_en.xml", "newsletter_mail_fr.xml"}) {
        TempDir dir;
        expectSaveRule(std::string(KORVEL_EXAMPLES_DIR) + "/" + name, dir);
    }
}

} // namespace
