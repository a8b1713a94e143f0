#pragma once

#include "ExportModul.h"

// The php plug-in's module: writes a PHP source file that fills the array $translation.
class ExportModul_PHP : public ExportModul
{
public:
    std::string getExportName() override { return "PHP"; }
    void startExport() override;

private:
    // Appends a key or text as the inside of a double-quoted PHP literal.
    void appendPhpString(std::string& out, std::string_view text) const;
};
