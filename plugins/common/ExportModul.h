#pragma once

#include "TInterfacedObject.h"
#include "encoder.h"
#include "genericExportInterface.h"

#include <array>
#include <functional>
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
    // One entry of `keys` as a writer receives it: the key as it stands in the table, and
    // its text after the steps that both formats take by the key's flags: with the UNIX flag
    // every CR LF and lone CR made LF, then with the HTML flag every byte HTML-encoded.
    // Both are valid during the writer's call only.
    struct Entry
    {
        std::string_view key;
        std::string_view text;
        bool html;
        bool breaks;
    };
    // Calls `write` for every entry of `keys`, in table order.
    void forEachEntry(const std::function<void(const Entry&)>& write) const;

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
    // Replaces fileName with the text, the old file staying whole if that fails.
    void writeExportFile(std::string_view text) const;

    std::unique_ptr<THashedStringList> keys;
    std::unique_ptr<THashedStringList> htmlFlags;
    std::unique_ptr<THashedStringList> breakFlags;
    std::unique_ptr<THashedStringList> unixFlags;
    std::string fileName;
    std::unique_ptr<HTML_Encoder> htmlEncoder;
};
