#pragma once

#include "THashedStringList.h"

#include <cstdint>
#include <string>

// The contract between Korvel and its export plug-ins. The host binds the eleven functions
// by name (dlsym) and calls them in the order Init, the four table setters, setFileName,
// startExport, Free. Host and plug-ins are built by one compiler and link the one
// korvel_core library, so tables and strings cross the boundary as the objects themselves:
// a table is read only during the call, an answered string belongs to the caller. A
// plug-in reports a failure by throwing std::runtime_error, which reaches the host as is.

#define KORVEL_EXPORT_FUNCTION __attribute__((visibility("default")))

extern "C" {
KORVEL_EXPORT_FUNCTION void Export_Init();
KORVEL_EXPORT_FUNCTION void Export_setHashlistKeys(const THashedStringList& list);
KORVEL_EXPORT_FUNCTION void Export_setHashlistHTML(const THashedStringList& list);
KORVEL_EXPORT_FUNCTION void Export_setHashlistBreaks(const THashedStringList& list);
KORVEL_EXPORT_FUNCTION void Export_setHashlistLinebreaks(const THashedStringList& list);
KORVEL_EXPORT_FUNCTION void Export_setFileName(const std::string& fileName);
KORVEL_EXPORT_FUNCTION void Export_startExport();
KORVEL_EXPORT_FUNCTION void Export_Free();
KORVEL_EXPORT_FUNCTION void Export_getDefaultExtension(std::string& answer);
KORVEL_EXPORT_FUNCTION void Export_getFilterMask(std::string& answer);
KORVEL_EXPORT_FUNCTION void Export_getExportName(std::string& answer);
}

using TExport_Init = void (*)();
using TExport_setHashlistKeys = void (*)(const THashedStringList&);
using TExport_setHashlistHTML = void (*)(const THashedStringList&);
using TExport_setHashlistBreaks = void (*)(const THashedStringList&);
using TExport_setHashlistLinebreaks = void (*)(const THashedStringList&);
using TExport_setFileName = void (*)(const std::string&);
using TExport_startExport = void (*)();
using TExport_Free = void (*)();
using TExport_getDefaultExtension = void (*)(std::string&);
using TExport_getFilterMask = void (*)(std::string&);
using TExport_getExportName = void (*)(std::string&);

struct TGUID
{
    std::uint32_t D1;
    std::uint16_t D2;
    std::uint16_t D3;
    std::uint8_t D4[8];

    bool operator==(const TGUID&) const = default;
};

using HResult = std::int32_t;
inline constexpr HResult S_OK = 0;
inline constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);

inline constexpr TGUID IID_IInterface = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The base of every interface: query, add and release a reference.
class IInterface
{
public:
    virtual HResult queryInterface(const TGUID& iid, void** object) = 0;
    virtual int addRef() = 0;
    virtual int release() = 0;

protected:
    ~IInterface() = default;
};

inline constexpr TGUID IID_IGenericExport = {
    0x536ECFBF, 0xD9D0, 0x4294, {0x92, 0xD0, 0x48, 0x7B, 0xC3, 0x42, 0x00, 0xBB}};

// What an export module offers. The exported functions call the module directly; nothing
// calls through this interface. hasOptions, getOptionCount and getVersion answer constants.
class IGenericExport : public virtual IInterface
{
public:
    virtual bool hasOptions() = 0;
    virtual std::string getExportName() = 0;
    virtual int getOptionCount() = 0;
    virtual int getVersion() = 0;
    virtual void setHashlistKeys(const THashedStringList& list) = 0;
    virtual void setHashlistHTML(const THashedStringList& list) = 0;
    virtual void setHashlistBreaks(const THashedStringList& list) = 0;
    virtual void setHashlistLinebreaks(const THashedStringList& list) = 0;
    virtual void setFileName(const std::string& fileName) = 0;
    virtual void startExport() = 0;
    // Destroys the module.
    virtual void destroy() = 0;

protected:
    ~IGenericExport() = default;
};
