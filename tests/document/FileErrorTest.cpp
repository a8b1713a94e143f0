#include "FileError.h"

#include <gtest/gtest.h>

namespace {

// Every message about a failing file is worded here; the rest of the program and its tests
// depend on these sentences byte for byte.
TEST(FileError, EachStepHasItsGermanSentence)
{
    using Step = FileError::Step;
    const struct
    {
        Step step;
        const char* cause;
        const char* sentence;
    } cases[] = {
        {Step::read, "Keine Berechtigung.",
         "Datei \"/p/a.xml\" kann nicht gelesen werden. Keine Berechtigung."},
        {Step::detectEncoding, "ist als UTF-16 deklariert, aber nicht so kodiert.",
         "Datei \"/p/a.xml\" ist als UTF-16 deklariert, aber nicht so kodiert."},
        {Step::parse, "ungültiges Zeichen (Zeile 1, Spalte 2)",
         "Datei \"/p/a.xml\" ist kein gültiges XML: ungültiges Zeichen (Zeile 1, Spalte 2)"},
        {Step::save, "Kein Platz mehr auf dem Datenträger.",
         "Datei \"/p/a.xml\" kann nicht gespeichert werden. Kein Platz mehr auf dem Datenträger."},
        {Step::create, "Datei oder Ordner nicht gefunden.",
         "Datei \"/p/a.xml\" kann nicht erstellt werden. Datei oder Ordner nicht gefunden."},
        {Step::loadLibrary, "", "Datei \"/p/a.xml\" ist keine ladbare Bibliothek."},
        {Step::use, "Ooops...\nKein Languagepack geladen",
         "Datei \"/p/a.xml\": Ooops...\nKein Languagepack geladen"},
    };
    for (const auto& c : cases) {
        const FileError error("/p/a.xml", c.step, c.cause);
        EXPECT_EQ(std::string(error.what()), c.sentence);
        EXPECT_EQ(FileError::sentence("/p/a.xml", c.step, c.cause), c.sentence);
        EXPECT_EQ(error.path(), "/p/a.xml");
        EXPECT_EQ(error.step(), c.step);
        EXPECT_EQ(error.cause(), c.cause);
    }
}

TEST(FileError, AFailureNamedBeforeItsCauseGetsTheCauseLater)
{
    const FileError failure("out.po", FileError::Step::create);
    EXPECT_STREQ(failure.what(), "Datei \"out.po\" kann nicht erstellt werden.");
    const FileError error = failure.because("Keine Berechtigung.");
    EXPECT_STREQ(error.what(), "Datei \"out.po\" kann nicht erstellt werden. Keine Berechtigung.");
    EXPECT_EQ(error.path(), "out.po");
    EXPECT_EQ(error.step(), FileError::Step::create);
}

} // namespace
