// Where the plug-in DLL is: STANZA_PLUGIN_DLL when set, else the one this
// build made. Linux paths are given as Wine sees them (Z:\...).
#pragma once

#include <string>

namespace stz::standin {

std::wstring DefaultPluginPath();
// "/a/b.dll" -> "Z:\a\b.dll"; other paths unchanged.
std::wstring WindowsPath(const std::string& path);

}  // namespace stz::standin
