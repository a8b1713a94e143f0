#pragma once

#include "TInterfacedObject.h"
#include "encoder.h"
#include "genericExportInterface.h"

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
    // Only the exact text "1" counts as on; an absent key is off.
    static bool isOn(const THashedStringList& flags, std::string_view key);
    // CR LF and every lone CR made a single LF.
    static std::string toUnixLineBreaks(std::string_view text);
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
