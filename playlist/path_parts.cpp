#include "playlist/path_parts.h"

#include <string.h>
#include <wchar.h>

const wchar_t* PathNamePart(const wchar_t* path)
{
    const wchar_t* name = path;
    if (path[0] && path[1] == L':')
        name = path + 2;
    for (const wchar_t* p = name; *p; p++) {
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    }
    return name;
}

const wchar_t* PathExtension(const wchar_t* path)
{
    const wchar_t* name = PathNamePart(path);
    const wchar_t* dot = wcsrchr(name, L'.');
    return dot ? dot : name + wcslen(name);
}

bool IsPlaylistPath(const wchar_t* path)
{
    return wcscmp(PathExtension(path), L".nbl") == 0;
}

bool HasSpecialCharacter(const wchar_t* path)
{
    const wchar_t* name = PathNamePart(path);
    const wchar_t* extension = PathExtension(path);
    return wmemchr(name, L'%', extension - name) != nullptr;
}

FileKind ClassifyHead(const unsigned char* head, unsigned long long size)
{
    if (size <= 16)
        return Unreadable;
    if (memcmp(head, "FLV", 3) == 0)
        return FlvFile;
    if (memcmp(head + 4, "ftyp", 4) == 0)
        return Mp4File;
    return Unreadable;
}

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

std::wstring JoinPath(const std::wstring& folder, const wchar_t* name)
{
    std::wstring joined = folder;
    if (!joined.empty() && joined.back() != L'\\' && joined.back() != L'/')
        joined += L'\\';
    return joined + name;
}

static bool IsSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring ResolvePlaylistLine(const std::wstring& folder, const std::wstring& line)
{
    bool drive = line.size() >= 2 && line[1] == L':';
    if (drive || (line.size() >= 2 && IsSlash(line[0]) && IsSlash(line[1])))
        return line;  // "C:\...", "\\server\share\..." (and "C:name", which names its drive)
    if (!line.empty() && IsSlash(line[0]))  // the root of the playlist's own drive
        return folder.size() >= 2 && folder[1] == L':' ? folder.substr(0, 2) + line : line;
    return JoinPath(folder, line.c_str());
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
