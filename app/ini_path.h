// Where the settings file lies. Portable: no Windows header (tools/fuzz.sh builds it natively).
#pragma once
#include <string>

// The file fileName in the folder of modulePath (whose own name is replaced), any length.
std::wstring IniPathBeside(const std::wstring& modulePath, const std::wstring& fileName);
