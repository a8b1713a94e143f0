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
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Silent : PackView
{
    void showInfo(const std::string& text) override { throw std::runtime_error(text); }
    void setStatusText(const std::string&) override {}
    void setSaveActionEnabled(bool) override {}
    void infoBlockChanged() override {}
};

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
    return XmlFile::serialise(tree, {}, "");
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
    Silent view;
    try {
        pack.writePack(saved, view);
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

struct Reproducer
{
    const char* name;
    std::function<std::string(const TempDir&)> file; // the path of the file it builds
    const char* refusal;                             // part of the message; nullptr: it reads
};

std::string written(const TempDir& dir, const std::string& bytes)
{
    return dir.write("reproducer.xml", bytes);
}

const Reproducer reproducers[] = {
    {"elements 200,000 deep in content",
     [](const TempDir& d) {
         return written(d, inContent(nested(200000) + "<key id=\"k\"><value>v</value></key>"));
     },
     nullptr},
    {"elements 200,000 deep in a key",
     [](const TempDir& d) {
         return written(d, inContent("<key id=\"k\"><value>v</value>" + nested(200000) + "</key>"));
     },
     nullptr},
    {"elements 200,000 deep in info",
     [](const TempDir& d) {
         return written(d, "<languagepack><info>" + nested(200000) + "</info></languagepack>");
     },
     "mehr als 256 Ebenen"},
    {"a pipe as the pack",
     [](const TempDir& d) {
         ::mkfifo(d.path("fifo.xml").c_str(), 0600);
         return d.path("fifo.xml");
     },
     "Das ist keine gewöhnliche Datei."},
    {"a pipe with a writer",
     [](const TempDir& d) {
         ::mkfifo(d.path("fed.xml").c_str(), 0600);
         // Held open for reading and writing, never closed: the pipe has a writer meanwhile.
         const int fd = ::open(d.path("fed.xml").c_str(), O_RDWR | O_NONBLOCK);
         (void)!::write(fd, "<languagepack/>", 15);
         return d.path("fed.xml");
     },
     "Das ist keine gewöhnliche Datei."},
    {"a device", [](const TempDir&) { return std::string("/dev/zero"); }, "Das ist keine gewöhnliche Datei."},
    {"a flag set and cleared for 100,000 keys",
     [](const TempDir& d) {
         std::string keys;
         for (const char* flag : {"1", ""})
             for (int i = 0; i < 100000; ++i)
                 keys += "<key id=\"k" + std::to_string(i) + "\" encodeHTML=\"" + flag + "\"/>";
         return written(d, inContent(keys));
     },
     nullptr},
    {"5,000,000 empty elements in content",
     [](const TempDir& d) { return written(d, inContent(repeated("<a/>", 5000000))); }, nullptr},
    {"declaration after a blank line",
     [](const TempDir& d) {
         return written(d, "\n<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><languagepack/>");
     },
     "XML-Deklaration nur am Anfang der Datei erlaubt (Zeile 2, Spalte 1)"},
    {"declaration after a comment",
     [](const TempDir& d) {
         return written(d, "<!-- c --><?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><languagepack/>");
     },
     "XML-Deklaration nur am Anfang"},
    {"declaration after a processing instruction",
     [](const TempDir& d) { return written(d, "<?pi x?><?xml version=\"1.0\"?><languagepack/>"); },
     "XML-Deklaration nur am Anfang"},
    {"two declarations",
     [](const TempDir& d) {
         return written(d, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><?xml version=\"1.0\"?>"
                           "<languagepack project=\"\xE4\"/>");
     },
     "XML-Deklaration nur am Anfang"},
    {"an attribute named xencoding",
     [](const TempDir& d) {
         return written(d, "<?xml version=\"1.0\" xencoding=\"ISO-8859-1\"?><languagepack project=\"ä\"/>");
     },
     "fehlerhafte XML-Deklaration"},
    {"UTF-16BE declared and so written",
     [](const TempDir& d) {
         return written(d, PackCorpus::encode(inContent("<key id=\"k\"><value>Ã¤ 日</value></key>",
                                                        "<?xml version=\"1.0\" encoding=\"UTF-16BE\"?>"),
                                              PackCorpus::Encoding::utf16be));
     },
     nullptr},
    {"UTF-16 declaring ISO-8859-1",
     [](const TempDir& d) {
         return written(
             d, PackCorpus::encode("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><languagepack><日/>"
                                   "<!-- 日 --></languagepack>",
                                   PackCorpus::Encoding::utf16le));
     },
     "ist als ISO-8859-1 deklariert, aber als UTF-16LE kodiert."},
    {"UTF-16 declaring windows-1252",
     [](const TempDir& d) {
         return written(d,
                        PackCorpus::encode("<?xml version=\"1.0\" encoding=\"windows-1252\"?><languagepack>"
                                           "<?pi 日?></languagepack>",
                                           PackCorpus::Encoding::utf16be));
     },
     "ist als windows-1252 deklariert, aber als UTF-16BE kodiert."},
    {"a reference out of range",
     [](const TempDir& d) { return written(d, inContent("<key id=\"k\"><value>&#xF7F600;</value></key>")); },
     "ungültiger Zeichenverweis \"&#xF7F600;\""},
    {"a reference to NUL",
     [](const TempDir& d) { return written(d, inContent("<key id=\"k\" a=\"x&#0;y\"/>")); },
     "ungültiger Zeichenverweis \"&#0;\""},
    {"a reference to a surrogate",
     [](const TempDir& d) { return written(d, "<languagepack><info>&#xD800;</info></languagepack>"); },
     "ungültiger Zeichenverweis"},
    {"a raw control character",
     [](const TempDir& d) { return written(d, "<languagepack><info>a\x01</info></languagepack>"); },
     "ungültiges Zeichen U+0001 (Zeile 1, Spalte 22)"},
    {"references in a comment are text",
     [](const TempDir& d) {
         return written(d, "<languagepack><!-- &#0; &#xF7F600; --><info>i</info></languagepack>");
     },
     nullptr},
    {"a carriage return outside content",
     [](const TempDir& d) {
         return written(
             d, "<languagepack><info>a&#13;b&#13;&#10;c</info><x a=\"&#13;\">&#13;</x></languagepack>");
     },
     nullptr},
    {"a key name with \"=\"",
     [](const TempDir& d) {
         return written(
             d, inContent("<key id=\"a\"><value>one</value></key><key id=\"a=b\"><value>two</value></key>"));
     },
     "Schlüssel \"a=b\": Ein Schlüsselname darf kein \"=\" enthalten."},
    {"the same attribute twice outside content",
     [](const TempDir& d) { return written(d, "<languagepack project=\"a\" project=\"b\"/>"); }, "zweimal"},
    {"\"--\" in a comment",
     [](const TempDir& d) { return written(d, "<languagepack><!-- a -- b --></languagepack>"); },
     "\"--\" in einem Kommentar"},
    {"invalid UTF-8", [](const TempDir& d) { return written(d, "<languagepack project=\"\xFF\"/>"); },
     "ungültige UTF-8-Bytefolge"},
    {"an undefined windows-1252 byte",
     [](const TempDir& d) {
         return written(d,
                        "<?xml version=\"1.0\" encoding=\"windows-1252\"?><languagepack>\x81</languagepack>");
     },
     "das Byte 0x81 ist in windows-1252 kein Zeichen"},
};

TEST(SaveRule, HostileFilesAreReadAndSavedByTheRuleOrRefusedCleanly)
{
    for (const Reproducer& r : reproducers) {
        SCOPED_TRACE(r.name);
        TempDir dir;
        const std::string path = r.file(dir);
        if (r.refusal) {
            LanguagePack pack;
            try {
                pack.readPack(path);
                ADD_FAILURE() << "no error";
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find(r.refusal), std::string::npos) << e.what();
                EXPECT_EQ(std::string(e.what()).find("\n"), std::string::npos) << e.what();
            }
            continue;
        }
        expectSaveRule(path, dir);
    }
}

TEST(SaveRule, GeneratedPacksInEveryEncodingKeepTheRule)
{
    using PackCorpus::Encoding;
    for (const Encoding e : {Encoding::utf8, Encoding::utf8WithMark, Encoding::utf16le, Encoding::utf16be,
                             Encoding::latin1, Encoding::windows1252})
        for (unsigned seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE(std::string(PackCorpus::declaredName(e)) + " " + std::to_string(seed));
            TempDir dir;
            const std::string path =
                dir.write("generated.xml", PackCorpus::encode(PackCorpus::generated(seed, e), e));
            ASSERT_TRUE(xmllintReads(path)) << PackCorpus::generated(seed, e);
            expectSaveRule(path, dir);
        }
}

// Room was once reserved for every child of `content` before it was known to be a key.
TEST(SaveRule, ManyEmptyElementsTakeMemoryInProportionToTheFile)
{
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

TEST(SaveRule, ExamplePacksKeepTheRule)
{
    for (const char* name : {"shop_frontend_de.xml", "shop_frontend_en.xml", "newsletter_mail_fr.xml"}) {
        TempDir dir;
        expectSaveRule(std::string(KORVEL_EXAMPLES_DIR) + "/" + name, dir);
    }
}

} // namespace
