#include "PackComparison.h"

#include "KeyRecord.h"
#include "LanguagePack.h"
#include "Placeholders.h"

namespace {

// The entries of a key list one name at a time: names that differ only in case stand
// together in the list and are one key to the tables.
class NameWalk
{
public:
    explicit NameWalk(const KeyList& list) : keys(list.items()) {}

    bool done() const { return at == keys.size(); }
    const std::string& name() const { return keys[at]; }
    void next()
    {
        const std::size_t first = at;
        while (++at < keys.size() && KeyList::compareWithoutCase(keys[first], keys[at]) == 0) {
        }
    }

private:
    const std::vector<std::string>& keys;
    std::size_t at = 0;
};

// Where the lookups of a pack's tables go on from: the tables of a pack read from a file hold
// the keys in the order of its key list, which the comparison walks.
struct Places
{
    std::size_t text = 0, html = 0, breaks = 0, unixEnds = 0;
};

void compareKey(const LanguagePack& reference, Places& referencePlaces, const LanguagePack& pack,
                Places& packPlaces, const std::string& name, const std::string& packName, PackComparison& out)
{
    const std::size_t hash = THashedStringList::hashName(name);
    auto flagOn = [&name, hash](const THashedStringList& table, std::size_t& place) {
        return isFlagOn(table.valueView(name, hash, place));
    };
    const std::string_view referenceText = reference.ValueList.valueView(name, hash, referencePlaces.text);
    const std::string_view packText = pack.ValueList.valueView(name, hash, packPlaces.text);
    if (packText.empty() && !referenceText.empty())
        out.untranslated.push_back(name);
    if (flagOn(reference.HtmlList, referencePlaces.html) != flagOn(pack.HtmlList, packPlaces.html) ||
        flagOn(reference.BreakList, referencePlaces.breaks) != flagOn(pack.BreakList, packPlaces.breaks) ||
        flagOn(reference.UnixList, referencePlaces.unixEnds) != flagOn(pack.UnixList, packPlaces.unixEnds))
        out.flags.push_back(name);
    if (!packText.empty() && !Placeholders::same(referenceText, packText))
        out.placeholders.push_back(
            {name, packName, Placeholders::sorted(referenceText), Placeholders::sorted(packText)});
}

} // namespace

PackComparison comparePacks(const LanguagePack& reference, const LanguagePack& pack)
{
    PackComparison out;
    NameWalk left(reference.keys);
    NameWalk right(pack.keys);
    Places referencePlaces, packPlaces;
    while (!left.done() || !right.done()) {
        const int order = left.done()    ? 1
                          : right.done() ? -1
                                         : KeyList::compareWithoutCase(left.name(), right.name());
        if (order < 0) {
            out.missing.push_back(left.name());
            left.next();
        } else if (order > 0) {
            out.obsolete.push_back(right.name());
            right.next();
        } else {
            compareKey(reference, referencePlaces, pack, packPlaces, left.name(), right.name(), out);
            left.next();
            right.next();
        }
    }
    return out;
}
