#pragma once

class ExportModul;

// What makes a plug-in library one plug-in and not the other: its constant answers and its
// module. Each plug-in defines exportPlugin beside its module; the slot and the exported
// functions in ExportSlot.cpp are the same for all.
struct ExportPlugin
{
    // Export_getExportName's answer while the slot is empty.
    const char* defaultName;
    const char* defaultExtension;
    const char* filterMask;
    ExportModul* (*createModule)();
};

extern const ExportPlugin exportPlugin;
