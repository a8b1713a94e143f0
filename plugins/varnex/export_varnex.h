#pragma once

#include "ExportModul.h"

// The Varnex plug-in's module: writes a GNU gettext PO catalogue.
class ExportModul_VARNEX : public ExportModul
{
public:
    std::string getExportName() override { return "VARNEX"; }
    void startExport() override;

private:
    // Appends a key, text or path as the inside of a PO string literal.
    void appendPoString(std::string& out, std::string_view text) const;
};
