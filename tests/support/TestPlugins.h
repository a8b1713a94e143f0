#pragma once

#include <dlfcn.h>
#include <stdexcept>
#include <string>

// The test plug-ins built by tests/export into KORVEL_TEST_PROGRAM_DIR/Plugins note every
// call they get. These are the notes of one of them since it was last asked, for example
// "Extension;Filter;Name;Init;Keys 4;...;Free;". The plug-in must be loaded already.
inline std::string takeTestPluginCalls(const std::string& programFolder, const std::string& fileName)
{
    const std::string path = programFolder + "/Plugins/" + fileName;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        throw std::runtime_error(fileName + " is not loaded");
    const auto take = reinterpret_cast<void (*)(std::string&)>(::dlsym(handle, "TestPlugin_takeCalls"));
    std::string calls;
    take(calls);
    ::dlclose(handle);
    return calls;
}
