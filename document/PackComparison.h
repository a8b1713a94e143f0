#pragma once

#include <string>
#include <vector>

class LanguagePack;

// A key of both packs whose texts hold different placeholders.
struct PlaceholderFinding
{
    // The name as the reference spells it, and as the pack does (they may differ in case).
    std::string key;
    std::string packKey;
    // Each side's placeholders, sorted by their bytes.
    std::vector<std::string> reference;
    std::vector<std::string> pack;

    bool operator==(const PlaceholderFinding&) const = default;
};

// What a translation lacks or has too much of, measured against its reference pack. Names
// are matched as the tables match them, without regard to case; a name that a key list holds
// more than once counts once, spelt as it first stands. Every list follows the reference's
// key-list order except `obsolete`, which follows the pack's; as both lists are sorted the
// same way, the keys of both stand in the same order in either.
struct PackComparison
{
    // Keys of the reference that the pack lacks.
    std::vector<std::string> missing;
    // Keys of both whose text is empty in the pack but not in the reference.
    std::vector<std::string> untranslated;
    // Keys of the pack that the reference lacks (as the pack spells them).
    std::vector<std::string> obsolete;
    // Keys of both whose three flags differ, only "1" counting as on.
    std::vector<std::string> flags;
    // Keys of both whose texts hold different placeholders. An empty translation is
    // untranslated rather than short of placeholders, so it is not listed here.
    std::vector<PlaceholderFinding> placeholders;

    // Nothing missing, untranslated or with other placeholders: obsolete keys and other
    // flags are worth telling but break no program that uses the pack.
    bool passed() const { return missing.empty() && untranslated.empty() && placeholders.empty(); }
};

// One walk through both key lists, which are sorted alike; each key of both is looked up
// once in each table.
PackComparison comparePacks(const LanguagePack& reference, const LanguagePack& pack);
