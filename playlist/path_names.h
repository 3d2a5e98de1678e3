// Pure computations on the text of paths, used by file intake and the playlist file.
// Portable: no Windows header (tools/fuzz.sh builds it natively).
#pragma once
#include <string>

// The name part of a path: after the last "\" or "/" (or a drive's ":").
const wchar_t* PathNamePart(const wchar_t* path);
// The extension: from the last "." of the name part, dot included; "" when there is none.
const wchar_t* PathExtension(const wchar_t* path);
// Whether the extension is exactly ".nbl" (an upper-case one does not count).
bool IsPlaylistPath(const wchar_t* path);
// Whether the name part, without its extension, holds "%".
bool HasSpecialCharacter(const wchar_t* path);
// folder + "\" + name, without doubling a separator the folder already ends with.
std::wstring JoinPath(const std::wstring& folder, const wchar_t* name);
// A line of a playlist file kept in folder: an absolute path as it is, a relative one
// joined to folder, one from the root ("\x") on folder's drive.
std::wstring ResolvePlaylistLine(const std::wstring& folder, const std::wstring& line);
