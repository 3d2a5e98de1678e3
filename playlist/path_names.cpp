#include "playlist/path_names.h"

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
