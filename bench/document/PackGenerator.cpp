#include "PackGenerator.h"

#include "Windows1252.h"

#include <cstdio>
#include <random>

namespace {

// Texts are written here as UTF-8 and stored as Windows-1252, as the window would.
const char* const words[] = {"Größe",     "Bestellung", "Übersicht", "Straße",  "Preis",       "€",
                             "Lieferung", "für",        "Kunden",    "schnell", "und",         "mit",
                             "Rabatt",    "Änderung",   "öffnen",    "Menü",    "\"Angebot\"", "<b>neu</b>",
                             "&",         "bis",        "heute",     "Grüße",   "Konto",       "Passwort"};
const char* const sections[] = {"cart", "checkout", "product", "account", "search", "mail", "admin", "help"};

class Generator
{
public:
    std::string sentence(int wordCount)
    {
        std::string s;
        for (int i = 0; i < wordCount; ++i) {
            if (i > 0)
                s += ' ';
            s += words[pick(std::size(words))];
        }
        return Windows1252::fromUtf8(s);
    }
    std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); }

private:
    std::mt19937 random{20071105};
};

} // namespace

void generatePack(LanguagePack& pack, int keyCount)
{
    Generator g;
    pack.loadNewDocumentTree();
    pack.packProject = "bench";
    pack.packName = "generated";
    pack.packLang = "de";
    pack.packVersion = "1.0.0";
    pack.infoValuesToBlock();
    for (int i = 0; i < keyCount; ++i) {
        char key[64];
        std::snprintf(key, sizeof key, "%s.section%02d.text_%06d", sections[i % std::size(sections)],
                      (i / 8) % 50, i);
        std::string text = g.sentence(4 + static_cast<int>(g.pick(12)));
        if (i % 4 == 0)
            text += "\r\n" + g.sentence(3 + static_cast<int>(g.pick(6)));
        pack.keys.appendUnsorted(key);
        pack.setRecord(key, {text, i % 3 == 0 ? g.sentence(5) : std::string(), flagText(i % 2 != 0),
                             flagText(i % 5 == 0), flagText(i % 7 == 0)});
    }
    pack.keys.sort();
}

void writeGeneratedPack(const std::string& path, int keyCount)
{
    LanguagePack pack;
    generatePack(pack, keyCount);
    pack.write(path);
}
