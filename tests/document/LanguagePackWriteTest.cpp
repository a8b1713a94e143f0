#include "LanguagePack.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

LocalDateTime fixedTime()
{
    return {2007, 3, 5, 9, 7};
}

class WritePack : public ::testing::Test
{
protected:
    WritePack() { doc.clock = fixedTime; }

    void newPack()
    {
        doc.loadNewDocumentTree();
        doc.packProject = "Unnamed", doc.packName = "Package", doc.packLang = "Lang",
        doc.packVersion = "1.0.0";
        doc.infoValuesToBlock();
    }
    void addKey(const std::string& key, const std::string& value, const std::string& comment = "",
                const std::string& html = "0", const std::string& breaks = "0", const std::string& unix = "0")
    {
        doc.keys.add(key);
        doc.ValueList.setValue(key, value);
        doc.CommentList.setValue(key, comment);
        doc.HtmlList.setValue(key, html);
        doc.BreakList.setValue(key, breaks);
        doc.UnixList.setValue(key, unix);
    }
    // Writes the document and reads the file into a second one.
    LanguagePack& roundTrip(const std::string& name = "out.xml")
    {
        doc.write(dir.path(name));
        back.readPack(dir.path(name));
        return back;
    }

    TempDir dir;
    LanguagePack doc;
    LanguagePack back;
};

TEST_F(WritePack, NewDocumentIsWrittenWithItsAttributeOrderAndStampedDate)
{
    newPack();
    addKey("greeting", "Hallo");
    EXPECT_EQ(doc.write(dir.path("new.xml")), WriteOutcome::Written);
    EXPECT_EQ(TempDir::read(dir.path("new.xml")),
              "<languagepack name=\"Package\" lang=\"Lang\" version=\"1.0.0\" date=\"2007-03-05 09:07\" "
              "project=\"Unnamed\"><info>Languagepack-Descricption</info><content><key id=\"greeting\" "
              "encodeHTML=\"0\" preserveLinebreaks=\"0\" unixNewline=\"0\"><value>Hallo</value><comment/>"
              "</key></content></languagepack>");
    EXPECT_EQ(doc.packDate, "2007-03-05 09:07");
    EXPECT_EQ(doc.infoBlock[rowDate], "2007-03-05 09:07");
    EXPECT_TRUE(doc.isSaved);
    EXPECT_FALSE(doc.isModified);
    EXPECT_EQ(doc.packFileName, "new.xml");
    EXPECT_EQ(doc.xmlFileName(), "");
}

TEST_F(WritePack, RoundTripKeepsKeysTextsCommentsFlagsAndInfo)
{
    newPack();
    doc.infoBlock[rowProject] = "Shop \x80";
    addKey("title",
           "Gr\xF6\xDF"
           "e \x80 \x84quoted\x93",
           "Kommentar\r\nzweite Zeile", "1", "0", "1");
    addKey("Empty", "", "", "0", "1", "0");
    addKey("lf", "a\nb\rc");
    addKey("spaces", "  \r\n  ");
    addKey("odd", "x", "", "true", " 1", "");
    doc.keys.add("odd");
    addKey("<&\">", "<b>&amp;\"'</b>\t", "");
    doc.keys.add(""); // never written

    const LanguagePack& r = roundTrip();
    EXPECT_EQ(r.keys.items(),
              (std::vector<std::string>{"<&\">", "Empty", "lf", "odd", "odd", "spaces", "title"}));
    EXPECT_EQ(r.ValueList.value("title"), "Gr\xF6\xDF"
                                          "e \x80 \x84quoted\x93");
    EXPECT_EQ(r.CommentList.value("title"), "Kommentar\r\nzweite Zeile");
    EXPECT_EQ(r.HtmlList.value("title"), "1");
    EXPECT_EQ(r.UnixList.value("title"), "1");
    EXPECT_EQ(r.BreakList.value("empty"), "1");
    EXPECT_EQ(r.ValueList.indexOfName("Empty"), -1);
    EXPECT_EQ(r.ValueList.value("lf"), "a\r\nb\r\nc");
    EXPECT_EQ(r.ValueList.value("spaces"), "  \r\n  ");
    EXPECT_EQ(r.HtmlList.value("odd"), "true");
    EXPECT_EQ(r.BreakList.value("odd"), " 1");
    EXPECT_EQ(r.ValueList.value("<&\">"), "<b>&amp;\"'</b>\t");
    EXPECT_EQ(r.packProject, "Shop \x80");
    EXPECT_EQ(r.packVersion, "1.0.0");
    EXPECT_EQ(r.packDate, "2007-03-05 09:07");
}

TEST_F(WritePack, InfoBlockEditsAreWrittenAndBecomeTheInfoValues)
{
    newPack();
    doc.infoBlock[rowName] = "edited";
    doc.packProject = "stale";
    EXPECT_EQ(roundTrip().packName, "edited");
    EXPECT_EQ(back.packProject, "Unnamed");
    EXPECT_EQ(doc.packName, "edited");
    EXPECT_EQ(doc.packProject, "Unnamed");
}

TEST_F(WritePack, KeysOnlyInTablesAreNotWrittenAndFlagOnlyKeysAreDropped)
{
    const std::string path =
        dir.write("in.xml", "<languagepack project=\"p\"><info>keep me</info><!-- note -->"
                            "<content><key id=\"flags\" encodeHTML=\"1\"/>"
                            "<key id=\"k\"><value>v</value></key></content><extra a=\"1\"/>"
                            "<?pi data?></languagepack>");
    doc.readPack(path);
    doc.ValueList.setValue("orphan", "not listed");
    doc.write(path);
    EXPECT_EQ(
        TempDir::read(path),
        "<languagepack project=\"p\" name=\"\" lang=\"\" version=\"\" date=\"2007-03-05 09:07\">"
        "<info>keep me</info><!-- note --><content><key id=\"k\" encodeHTML=\"\" preserveLinebreaks=\"\" "
        "unixNewline=\"\"><value>v</value><comment/></key></content><extra a=\"1\"/><?pi data?>"
        "</languagepack>");
}

TEST_F(WritePack, OtherRootNameAndDeclarationSurvive)
{
    const std::string path =
        dir.write("in.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<sprachpaket date=\"x\" project=\"p\"><content/></sprachpaket>");
    doc.readPack(path);
    doc.write(path);
    EXPECT_EQ(TempDir::read(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sprachpaket date=\"2007-03-05 09:07\" "
              "project=\"p\" name=\"\" lang=\"\" version=\"\"><content/></sprachpaket>");
}

TEST_F(WritePack, WithoutTreeOrRootOnlyTheDateChanges)
{
    doc.infoBlock[rowDate] = "old";
    EXPECT_EQ(doc.write(dir.path("x.xml")), WriteOutcome::NoTree);
    EXPECT_EQ(doc.infoBlock[rowDate], "2007-03-05 09:07");

    doc.close();
    EXPECT_EQ(doc.write(dir.path("x.xml")), WriteOutcome::NoRoot);
    EXPECT_FALSE(std::filesystem::exists(dir.path("x.xml")));
    EXPECT_EQ(doc.packFileName, "");
}

TEST_F(WritePack, FailedWriteKeepsTheOldFileAndTheDocumentState)
{
    newPack();
    addKey("k", "new text");
    const std::string target = dir.write("pack.xml", "old contents");
    chmod(target.c_str(), 0444);
    doc.takeOver("k", doc.record("k"));
    doc.packFileName = "previous.xml";
    EXPECT_THROW(doc.write(target), std::runtime_error);
    EXPECT_EQ(TempDir::read(target), "old contents");
    EXPECT_FALSE(doc.isSaved);
    EXPECT_EQ(doc.packFileName, "previous.xml");

    EXPECT_THROW(doc.write(dir.path("missing/pack.xml")), std::runtime_error);
    EXPECT_THROW(doc.write(dir.root.string()), std::runtime_error);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root), {}), 1);
}

TEST_F(WritePack, ReplacedFileKeepsItsPermissionsAndLinksStayLinks)
{
    newPack();
    const std::string target = dir.write("pack.xml", "old");
    chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, dir.path("link.xml"));
    doc.write(dir.path("link.xml"));
    struct stat st
    {
    };
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link.xml")));
    EXPECT_NE(TempDir::read(target).find("<languagepack"), std::string::npos);
}

struct EncodingCase
{
    const char* name;
    std::string declaration;
    std::string bytePrefix; // how "ä" (doubled: Ã¤) appears in the written file
};

TEST_F(WritePack, EachSupportedEncodingIsReadAndWrittenInItsOwnForm)
{
    const EncodingCase cases[] = {
        {"utf-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\xC3\x83\xC2\xA4"},
        {"latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xC3\xA4"},
        {"cp1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "\xC3\xA4"},
    };
    for (const auto& c : cases) {
        const std::string path =
            dir.write(std::string(c.name) + ".xml",
                      c.declaration + "<languagepack project=\"x\"><content/></languagepack>");
        LanguagePack d;
        d.clock = fixedTime;
        d.readPack(path);
        d.keys.add("k");
        d.ValueList.setValue("k", "\xE4 \x80 \x9A");
        d.write(path);
        const std::string bytes = TempDir::read(path);
        EXPECT_EQ(bytes.rfind(c.declaration, 0), 0u) << c.name;
        EXPECT_NE(bytes.find("<value>" + c.bytePrefix), std::string::npos) << c.name << ": " << bytes;
        LanguagePack again;
        again.readPack(path);
        EXPECT_EQ(again.ValueList.value("k"), "\xE4 \x80 \x9A") << c.name;
    }
}

TEST_F(WritePack, Utf16FilesAreReadAndWrittenAsUtf16)
{
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><languagepack project=\"\xC3\xA4\"><content>"
        "<key id=\"k\"><value>\xC3\x83\xC2\xA4</value></key></content></languagepack>";
    std::u16string wide;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            wide += static_cast<char16_t>(b);
        } else {
            wide +=
                static_cast<char16_t>(((b & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            ++i;
        }
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t c : wide)
        bytes += static_cast<char>(c & 0xFF), bytes += static_cast<char>(c >> 8);
    const std::string path = dir.write("utf16.xml", bytes);
    doc.readPack(path);
    EXPECT_EQ(doc.packProject, "\xE4");
    EXPECT_EQ(doc.ValueList.value("k"), "\xE4");
    doc.write(path);
    const std::string written = TempDir::read(path);
    EXPECT_EQ(written.substr(0, 4), std::string("\xFF\xFE<\0", 4));
    back.readPack(path);
    EXPECT_EQ(back.ValueList.value("k"), "\xE4");
}

TEST_F(WritePack, ContentIsRebuiltNotAppendedOnEverySave)
{
    newPack();
    addKey("a", "1");
    doc.write(dir.path("p.xml"));
    doc.write(dir.path("p.xml"));
    const std::string bytes = TempDir::read(dir.path("p.xml"));
    EXPECT_EQ(bytes.find("<key"), bytes.rfind("<key"));
}

} // namespace

namespace {

TEST_F(WritePack, AControlCharacterXmlCannotHoldRefusesTheSaveAndKeepsTheFile)
{
    for (const std::string& text : {std::string("a\x01"), std::string("a\0b", 3)}) {
        newPack();
        addKey("k", text);
        const std::string target = dir.write("pack.xml", "old");
        try {
            doc.write(target);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Datei \"" + target +
                          "\" kann nicht gespeichert werden. Der Schlüssel \"k\" enthält ein "
                          "Steuerzeichen, das XML nicht speichern kann.");
        }
        EXPECT_EQ(TempDir::read(target), "old");
    }
    newPack();
    doc.infoBlock[rowProject] = "a\x1F";
    EXPECT_THROW(doc.write(dir.path("info.xml")), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(dir.path("info.xml")));
}

} // namespace
