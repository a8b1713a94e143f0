#include "LanguagePack.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class RecordingView : public PackView
{
public:
    void showInfo(const std::string& text) override { infos.push_back(text); }
    void setStatusText(const std::string& text) override { status = text; }
    void setSaveActionEnabled(bool enabled) override { saveEnabled = enabled; }
    void infoBlockChanged() override { ++infoBlockChanges; }

    std::vector<std::string> infos;
    std::string status = "before";
    bool saveEnabled = true;
    int infoBlockChanges = 0;
};

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
        doc.writePack(dir.path(name), view);
        back.readPack(dir.path(name));
        return back;
    }

    TempDir dir;
    LanguagePack doc;
    LanguagePack back;
    RecordingView view;
};

TEST_F(WritePack, NewDocumentIsWrittenWithItsAttributeOrderAndStampedDate)
{
    newPack();
    addKey("greeting", "Hallo");
    doc.writePack(dir.path("new.xml"), view);
    EXPECT_EQ(TempDir::read(dir.path("new.xml")),
              "<languagepack name=\"Package\" lang=\"Lang\" version=\"1.0.0\" date=\"2007-03-05 09:07\" "
              "project=\"Unnamed\"><info>Languagepack-Descricption</info><content><key id=\"greeting\" "
              "encodeHTML=\"0\" preserveLinebreaks=\"0\" unixNewline=\"0\"><value>Hallo</value><comment/>"
              "</key></content></languagepack>");
    EXPECT_EQ(doc.packDate, "2007-03-05 09:07");
    EXPECT_EQ(doc.infoBlock[rowDate], "2007-03-05 09:07");
    EXPECT_EQ(view.status, "Gespeichert: new.xml");
    EXPECT_FALSE(view.saveEnabled);
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

TEST_F(WritePack, InfoBlockEditsAreWrittenNotTheInfoValues)
{
    newPack();
    doc.infoBlock[rowName] = "edited";
    EXPECT_EQ(roundTrip().packName, "edited");
    EXPECT_EQ(doc.packName, "Package");
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
    doc.writePack(path, view);
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
    doc.writePack(path, view);
    EXPECT_EQ(TempDir::read(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sprachpaket date=\"2007-03-05 09:07\" "
              "project=\"p\" name=\"\" lang=\"\" version=\"\"><content/></sprachpaket>");
}

TEST_F(WritePack, WithoutTreeOrRootOnlyTheDateChanges)
{
    doc.infoBlock[rowDate] = "old";
    doc.writePack(dir.path("x.xml"), view);
    EXPECT_EQ(view.infos, (std::vector<std::string>{
                              "Ooops...\nKein Languagepack geladen\nBitte erst neues Languagpack anlegen"}));
    EXPECT_EQ(doc.infoBlock[rowDate], "2007-03-05 09:07");

    doc.resetTree();
    doc.writePack(dir.path("x.xml"), view);
    EXPECT_EQ(view.infos.back(),
              "Ooops...\nSpeichern fehlgeschlagen...\nBitte erst neues Languagpack anlegen");
    EXPECT_FALSE(std::filesystem::exists(dir.path("x.xml")));
    EXPECT_EQ(view.status, "before");
    EXPECT_TRUE(view.saveEnabled);
}

TEST_F(WritePack, FailedWriteKeepsTheOldFileAndTheDocumentState)
{
    newPack();
    addKey("k", "new text");
    const std::string target = dir.write("pack.xml", "old contents");
    chmod(target.c_str(), 0444);
    doc.isSaved = false;
    doc.isModified = true;
    doc.packFileName = "previous.xml";
    EXPECT_THROW(doc.writePack(target, view), std::runtime_error);
    EXPECT_EQ(TempDir::read(target), "old contents");
    EXPECT_FALSE(doc.isSaved);
    EXPECT_EQ(doc.packFileName, "previous.xml");
    EXPECT_EQ(view.status, "before");

    EXPECT_THROW(doc.writePack(dir.path("missing/pack.xml"), view), std::runtime_error);
    EXPECT_THROW(doc.writePack(dir.root.string(), view), std::runtime_error);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root), {}), 1);
}

TEST_F(WritePack, ReplacedFileKeepsItsPermissionsAndLinksStayLinks)
{
    newPack();
    const std::string target = dir.write("pack.xml", "old");
    chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, dir.path("link.xml"));
    doc.writePack(dir.path("link.xml"), view);
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
        d.writePack(path, view);
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
    doc.writePack(path, view);
    const std::string written = TempDir::read(path);
    EXPECT_EQ(written.substr(0, 4), std::string("\xFF\xFE<\0", 4));
    back.readPack(path);
    EXPECT_EQ(back.ValueList.value("k"), "\xE4");
}

TEST_F(WritePack, ContentIsRebuiltNotAppendedOnEverySave)
{
    newPack();
    addKey("a", "1");
    doc.writePack(dir.path("p.xml"), view);
    doc.writePack(dir.path("p.xml"), view);
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
            doc.writePack(target, view);
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
    EXPECT_THROW(doc.writePack(dir.path("info.xml"), view), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(dir.path("info.xml")));
}

} // namespace
