#include "playlist/path_parts.h"

#include <wchar.h>

std::wstring FullPathOf(const wchar_t* path)
{
    DWORD need = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (need == 0)
        return path;
    std::wstring full(need, L'\0');
    DWORD got = GetFullPathNameW(path, need, full.data(), nullptr);
    if (got == 0 || got >= need)
        return path;
    full.resize(got);
    return full;
}

std::wstring LongPathForm(const wchar_t* path)
{
    // Folders must leave room for an 8.3 name under the ordinary limit.
    size_t length = wcslen(path);
    if (length < MAX_PATH - 12 || wcsncmp(path, L"\\\\?\\", 4) == 0)
        return path;
    // The prefixed form is taken literally, so "/", "." and ".." are resolved first.
    std::wstring full = FullPathOf(path);
    if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info, const wchar_t* path)
{
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, FullPathOf(path)};
}

static bool IsKnown(const FileIdentity& id)
{
    return id.Volume != 0 || id.IndexHigh != 0 || id.IndexLow != 0;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b)
{
    if (IsKnown(a) && IsKnown(b))
        return a.Volume == b.Volume && a.IndexHigh == b.IndexHigh && a.IndexLow == b.IndexLow;
    return CompareStringOrdinal(a.Path.c_str(), -1, b.Path.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool ContainsIdentity(const std::vector<FileIdentity>& list, const FileIdentity& id)
{
    for (const FileIdentity& f : list)
        if (SameFile(f, id))
            return true;
    return false;
}
