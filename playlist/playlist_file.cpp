#include "playlist/playlist_file.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/file_dialog.h"
#include "playlist/file_intake.h"
#include "playlist/path_parts.h"
#include "playlist/playlist.h"
#include "playlist/playlist_text.h"
#include "resources/resource.h"

// Nesting beyond this depth is refused, so a long chain of playlists cannot exhaust the stack.
static const size_t MaxNesting = 64;
// Larger files are no playlists anyone wrote; refusing them keeps memory bounded.
static const LONGLONG MaxPlaylistBytes = 256LL << 20;
// Written in pieces of about this size, so a long playlist needs no second copy in memory.
static const size_t WriteChunk = 64 << 10;

static struct {
    std::vector<FileIdentity> Reading;  // the playlists open in this intake run, outermost first
} S;

int SavePlaylistDialog(HWND owner)
{
    wchar_t extension[100] = {};
    wchar_t filter[100] = {};
    LoadText(IDS_PLAYLIST_DEFAULT_EXT, extension, 100);
    LoadText(IDS_PLAYLIST_FILTER, filter, 100);
    std::vector<wchar_t> name(1024, L'\0');
    OPENFILENAMEW dialog = {sizeof dialog};
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = (DWORD)name.size();
    dialog.lpstrDefExt = extension;
    // No OFN_FILEMUSTEXIST: the user names a file that does not exist yet.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES;
    if (!ShowFileDialog(SaveFileDialog, &dialog))
        return 0;
    return WritePlaylistFile(name.data());
}

static bool WriteAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        DWORD piece = (DWORD)std::min<size_t>(bytes.size() - done, 1u << 30);
        if (!WriteFile(file, bytes.data() + done, piece, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

static bool WriteLines(HANDLE file)
{
    wchar_t listName[100];
    LoadText(IDS_PLAYLIST_HEADER_NAME, listName, 100);
    std::wstring header = L"[" + std::wstring(ProductTitle) + L" " + listName + L"]";
    std::string bytes;
    if (!AppendPlaylistLine(header.c_str(), bytes))
        return false;
    int count = PlaylistCount();
    std::vector<wchar_t> path(1024);
    for (int i = 0; i < count; i++) {
        // Grown until the whole path fits: a long one is written whole, never cut.
        while (GetEntryText(i, 2, path.data(), (int)path.size()) &&
               wcslen(path.data()) + 1 >= path.size())
            path.resize(path.size() * 2);
        // A path with no faithful UTF-8 form would read back as another file: it alone is left out.
        AppendPlaylistLine(path.data(), bytes);
        if (bytes.size() >= WriteChunk) {
            if (!WriteAll(file, bytes))
                return false;
            bytes.clear();
        }
    }
    return WriteAll(file, bytes) && FlushFileBuffers(file);
}

int WritePlaylistFile(const wchar_t* path)
{
    if (PlaylistCount() == 0)
        return 0;  // nothing to save: an existing file is left alone
    std::wstring target = LongPathForm(path);
    // A read-only file stays: the replacing move below would not refuse it everywhere.
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return 0;
    std::wstring temporary = LongPathForm((std::wstring(path) + L".saving").c_str());
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    bool written = WriteLines(file);
    CloseHandle(file);
    if (written && MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    DeleteFileW(temporary.c_str());
    return 0;
}

// The whole file, or false when it cannot be opened, sized or read, or is too large.
static bool ReadWholeFile(const wchar_t* path, std::string& bytes, FileIdentity* id)
{
    HANDLE file = CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER size;
    bool ok = GetFileInformationByHandle(file, &info) && GetFileSizeEx(file, &size) &&
              size.QuadPart <= MaxPlaylistBytes;
    if (ok) {
        *id = IdentityOf(info, path);
        bytes.assign((size_t)size.QuadPart, '\0');
        size_t done = 0;
        while (ok && done < bytes.size()) {
            DWORD got = 0;
            ok = ReadFile(file, bytes.data() + done, (DWORD)(bytes.size() - done), &got, nullptr) &&
                 got > 0;
            done += got;
        }
    }
    CloseHandle(file);
    return ok;
}

int ReadPlaylistFile(const wchar_t* path, int& insertIndex)
{
    if (S.Reading.size() >= MaxNesting)
        return 0;
    std::string bytes;
    FileIdentity id;
    if (!ReadWholeFile(path, bytes, &id) || ContainsIdentity(S.Reading, id))
        return 0;  // unusable, or a playlist that names itself: read once
    std::wstring text;
    if (!DecodePlaylistBytes(bytes.data(), bytes.size(), text))
        return 0;
    bytes.clear();
    std::vector<std::wstring> lines = SplitPlaylistLines(text);
    text.clear();
    // Relative lines name files beside the playlist, wherever the program was started.
    std::wstring folder = id.Path.substr(0, PathNamePart(id.Path.c_str()) - id.Path.c_str());
    S.Reading.push_back(id);
    // The first line is the header, whatever it says.
    for (size_t i = 1; i < lines.size(); i++)
        LoadPath(ResolvePlaylistLine(folder, lines[i]).c_str(), insertIndex);
    S.Reading.pop_back();
    return 1;
}
