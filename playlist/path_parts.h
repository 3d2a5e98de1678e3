// Pure computations on paths and first bytes, used by file intake and the playlist file.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "playlist/file_intake.h"

// The name part of a path: after the last "\" or "/" (or a drive's ":").
const wchar_t* PathNamePart(const wchar_t* path);
// The extension: from the last "." of the name part, dot included; "" when there is none.
const wchar_t* PathExtension(const wchar_t* path);
// Whether the extension is exactly ".nbl" (an upper-case one does not count).
bool IsPlaylistPath(const wchar_t* path);
// Whether the name part, without its extension, holds "%".
bool HasSpecialCharacter(const wchar_t* path);
// The kind of a file from its first bytes; size is the file size, or at least 17 when the
// file is longer (Unreadable for 16 bytes or less).
FileKind ClassifyHead(const unsigned char* head, unsigned long long size);
// path made absolute against the process's current folder (".", ".." resolved), any length.
std::wstring FullPathOf(const wchar_t* path);
// The form under which the system opens path whatever its length: short paths as they
// are, long ones made absolute under "\\?\" (or "\\?\UNC\").
std::wstring LongPathForm(const wchar_t* path);
// folder + "\" + name, without doubling a separator the folder already ends with.
std::wstring JoinPath(const std::wstring& folder, const wchar_t* name);
// A line of a playlist file kept in folder: an absolute path as it is, a relative one
// joined to folder, one from the root ("\x") on folder's drive.
std::wstring ResolvePlaylistLine(const std::wstring& folder, const std::wstring& line);

// A file or folder by its identity on its volume, so one reached again under another
// spelling (a link, a relative or long form) is recognised. Some file systems give every
// file the identity 0: such an identity is unknown, and the full path, compared without
// regard to case, tells files apart instead.
struct FileIdentity {
    DWORD Volume, IndexHigh, IndexLow;
    std::wstring Path;  // full path
};
FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info, const wchar_t* path);
bool SameFile(const FileIdentity& a, const FileIdentity& b);
bool ContainsIdentity(const std::vector<FileIdentity>& list, const FileIdentity& id);
