#pragma once

#include "TInterfacedObject.h"
#include "encoder.h"
#include "genericExportInterface.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

// What both export modules share: the module's own copies of the host's tables, the target
// path, the encoder, and the file creation. A plug-in's module adds its name and its writer.
class ExportModul : public TInterfacedObject, public IGenericExport
{
public:
    ExportModul();
    ~ExportModul() override;

    HResult queryInterface(const TGUID& iid, void** object) override;

    bool hasOptions() override { return false; }
    int getOptionCount() override { return 0; }
    int getVersion() override { return 0; }
    void setHashlistKeys(const THashedStringList& list) override;
    void setHashlistHTML(const THashedStringList& list) override;
    void setHashlistBreaks(const THashedStringList& list) override;
    void setHashlistLinebreaks(const THashedStringList& list) override;
    void setFileName(const std::string& name) override;
    void destroy() override;

protected:
    // Reads one flag table for the keys in turn. Only the exact text "1" counts as on; an
    // absent key is off. The host fills its tables key by key, so the entry after the one
    // found last is usually the next key's and is tried before a lookup by name; a module's
    // table holds each name once, so an entry of that name is the key's entry.
    class FlagReader
    {
    public:
        explicit FlagReader(const THashedStringList& flags) : flags(flags) {}
        bool isOn(const std::string& key);

    private:
        static bool isKey(const std::string& name, const std::string& key);

        const THashedStringList& flags;
        int next = 0;
    };

    // CR LF and every lone CR made a single LF.
    static std::string toUnixLineBreaks(std::string_view text);
    // Whether encodeEntities would change the text.
    static bool hasEntityBytes(std::string_view text);
    template <char... Bytes> static bool containsAnyOf(std::string_view text)
    {
        static constexpr auto wanted = [] {
            std::array<bool, 256> table{};
            ((table[static_cast<unsigned char>(Bytes)] = true), ...);
            return table;
        }();
        for (char c : text)
            if (wanted[static_cast<unsigned char>(c)])
                return true;
        return false;
    }
    // Creates fileName anew and writes the text with one write.
    void writeExportFile(std::string_view text) const;

    std::unique_ptr<THashedStringList> keys;
    std::unique_ptr<THashedStringList> htmlFlags;
    std::unique_ptr<THashedStringList> breakFlags;
    std::unique_ptr<THashedStringList> unixFlags;
    std::string fileName;
    std::unique_ptr<HTML_Encoder> htmlEncoder;

private:
    static void copyTable(const THashedStringList& source, THashedStringList& target);
};
