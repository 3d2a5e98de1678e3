// Paths as the system resolves them, and files by their identity (the pure parts of paths
// are in path_names.h and file_kind.h).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "playlist/file_kind.h"
#include "playlist/path_names.h"

// path made absolute against the process's current folder (".", ".." resolved), any length.
std::wstring FullPathOf(const wchar_t* path);
// The form under which the system opens path whatever its length: short paths as they
// are, long ones made absolute under "\\?\" (or "\\?\UNC\").
std::wstring LongPathForm(const wchar_t* path);

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
