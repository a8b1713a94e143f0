#pragma once

#include <dlfcn.h>
#include <stdexcept>
#include <string>

// A function of a test plug-in that is loaded already, by name.
template <typename Function>
Function testPluginFunction(const std::string& programFolder, const std::string& fileName, const char* name)
{
    const std::string path = programFolder + "/Plugins/" + fileName;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        throw std::runtime_error(fileName + " is not loaded");
    const auto function = reinterpret_cast<Function>(::dlsym(handle, name));
    ::dlclose(handle);
    return function;
}

// The test plug-ins built by tests/export into KORVEL_TEST_PROGRAM_DIR/Plugins note every
// call they get. These are the notes of one of them since it was last asked, for example
// "Extension;Filter;Name;Init;Keys 4;...;Free;". The plug-in must be loaded already.
inline std::string takeTestPluginCalls(const std::string& programFolder, const std::string& fileName)
{
    std::string calls;
    testPluginFunction<void (*)(std::string&)>(programFolder, fileName, "TestPlugin_takeCalls")(calls);
    return calls;
}

// From now on the function of that name (e.g. "Export_Init") throws; "" for none.
inline void makeTestPluginThrowIn(const std::string& programFolder, const std::string& fileName,
                                  const std::string& function)
{
    testPluginFunction<void (*)(const std::string&)>(programFolder, fileName, "TestPlugin_throwIn")(function);
}
