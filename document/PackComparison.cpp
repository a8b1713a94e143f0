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

bool sameFlags(const THashedStringList& a, const THashedStringList& b, std::string_view name,
               std::size_t hash)
{
    return isFlagOn(a.valueView(name, hash)) == isFlagOn(b.valueView(name, hash));
}

void compareKey(const LanguagePack& reference, const LanguagePack& pack, const std::string& name,
                const std::string& packName, PackComparison& out)
{
    const std::size_t hash = THashedStringList::hashName(name);
    const std::string_view referenceText = reference.ValueList.valueView(name, hash);
    const std::string_view packText = pack.ValueList.valueView(name, hash);
    if (packText.empty() && !referenceText.empty())
        out.untranslated.push_back(name);
    if (!sameFlags(reference.HtmlList, pack.HtmlList, name, hash) ||
        !sameFlags(reference.BreakList, pack.BreakList, name, hash) ||
        !sameFlags(reference.UnixList, pack.UnixList, name, hash))
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
            compareKey(reference, pack, left.name(), right.name(), out);
            left.next();
            right.next();
        }
    }
    return out;
}
