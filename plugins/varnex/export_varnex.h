#pragma once

#include "ExportModul.h"

// The Varnex plug-in's module: writes a GNU gettext PO catalogue.
class ExportModul_VARNEX : public ExportModul
{
public:
    std::string getExportName() override { return "VARNEX"; }
    void startExport() override;

private:
    // A key, text or path as the inside of a PO string literal.
    std::string poString(std::string_view text) const;
};
