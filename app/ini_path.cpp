#include "app/ini_path.h"

std::wstring IniPathBeside(const std::wstring& modulePath, const std::wstring& fileName)
{
    size_t slash = modulePath.find_last_of(L"\\/");
    size_t keep = slash == std::wstring::npos ? 0 : slash + 1;
    return modulePath.substr(0, keep) + fileName;
}
