#include "playlist/file_intake.h"

#include <vector>

#include "app/app.h"
#include "app/file_dialog.h"
#include "app/pending_error.h"
#include "controls/playlist_panel.h"
#include "engine/playback_commands.h"
#include "playlist/path_parts.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"

int InsertIndex;

void ResetFileIntake()
{
    InsertIndex = 0;
}

FileKind ClassifyFile(const wchar_t* path)
{
    if (IsPlaylistPath(path))
        return PlaylistFile;
    if (HasSpecialCharacter(path))
        return SpecialCharacter;
    HANDLE file = CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Unreadable;
    unsigned char head[ClassifyHeadBytes];
    DWORD got = 0;
    bool read = ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    return read ? ClassifyHead(head, got) : Unreadable;
}

static int Refuse(int code, const wchar_t* path)
{
    SetPendingError(code, path);
    ReportPendingError(MainWindow);
    return 0;
}

int LoadPath(const wchar_t* path, int& insertIndex)
{
    FileKind kind = ClassifyFile(path);
    if (IsMediaFile(kind)) {
        AddEntry(insertIndex, path);
        insertIndex++;
        return 1;
    }
    if (kind == PlaylistFile)
        return ReadPlaylistFile(path, insertIndex);
    return Refuse(kind == SpecialCharacter ? ErrorSpecialCharacter : ErrorUnreadable, path);
}

// The folder's identity; an unknown one (all zero) when the folder cannot be asked.
static FileIdentity FolderIdentity(const std::wstring& folder)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    HANDLE handle = CreateFileW(LongPathForm(folder.c_str()).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        if (!GetFileInformationByHandle(handle, &info))
            info = {};
        CloseHandle(handle);
    }
    return IdentityOf(info, folder.c_str());
}

// One folder of the walk with its open search.
struct WalkFrame {
    std::wstring Folder;
    HANDLE Search;
    FileIdentity Id;
};

// Starts listing folder on top of the stack, its first entry in found; false (stack
// unchanged) when it cannot be listed or is a link back to a folder being walked.
static bool EnterFolder(std::vector<WalkFrame>& stack, const std::wstring& folder, WIN32_FIND_DATAW& found)
{
    FileIdentity id = FolderIdentity(folder);
    for (const WalkFrame& frame : stack)
        if (SameFile(frame.Id, id))
            return false;
    HANDLE search = FindFirstFileW(LongPathForm(JoinPath(folder, L"*.*").c_str()).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    stack.push_back({folder, search, id});
    return true;
}

static bool IsDotEntry(const wchar_t* name)
{
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

// Depth first, a subfolder at once where it is listed. The open searches live on an
// explicit stack, not the call stack, so a tree of any depth is walked whole.
int ScanFolder(const wchar_t* folder, int& insertIndex)
{
    std::vector<WalkFrame> stack;
    WIN32_FIND_DATAW found;
    bool listed = EnterFolder(stack, folder, found);
    while (!stack.empty()) {
        if (!listed) {
            FindClose(stack.back().Search);
            stack.pop_back();
        } else if (!IsDotEntry(found.cFileName)) {
            std::wstring child = JoinPath(stack.back().Folder, found.cFileName);
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                LoadPath(child.c_str(), insertIndex);
            else if (EnterFolder(stack, child, found))
                continue;  // found holds the subfolder's first entry
        }
        listed = !stack.empty() && FindNextFileW(stack.back().Search, &found);
    }
    return 1;
}

// A path named from outside: a folder is walked, a file loaded, a missing one skipped.
static void TakePath(const wchar_t* path, int& insertIndex)
{
    DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        ScanFolder(path, insertIndex);
    else
        LoadPath(path, insertIndex);
}

// After an appending intake: with nothing loaded, the first entry becomes current, stopped.
static void MarkFirstIfIdle()
{
    if (PlayState != Idle || PlaylistCount() == 0)
        return;
    CurrentIndex = 0;
    LoadCurrentPath();
    StopPlayback();
}

int DropFiles(HDROP drop, int replace)
{
    // Replacing empties the list and the playing state first: while a box of this run is
    // open, the monitor may tick, and no current row may then name a row that is gone.
    if (replace)
        RemoveAllEntries();
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    int before = PlaylistCount();
    InsertIndex = before;
    std::wstring path;
    BeginRowBatch();
    for (UINT i = 0; i < count; i++) {
        // Sized from the path itself: a long dropped path is taken whole, never cut.
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        path.assign(length + 1, L'\0');
        if (DragQueryFileW(drop, i, path.data(), length + 1) != length)
            continue;
        path.resize(length);
        TakePath(path.c_str(), InsertIndex);
    }
    EndRowBatch();
    DragFinish(drop);
    UpdatePlaylistMenuItems();
    if (InsertIndex == before)
        return 0;
    if (replace)
        PlayEntry(0);
    else
        MarkFirstIfIdle();
    return 1;
}

int LoadCommandLineText(const wchar_t* commandLine)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return 0;
    InsertIndex = 0;
    BeginRowBatch();
    // Stored absolute, so a playlist saved later still names the files from anywhere.
    for (int i = 1; i < count; i++)
        TakePath(FullPathOf(arguments[i]).c_str(), InsertIndex);
    EndRowBatch();
    LocalFree(arguments);
    UpdatePlaylistMenuItems();
    if (count < 2)
        return 0;
    PlayEntry(0);
    return 1;
}

int LoadCommandLine()
{
    return LoadCommandLineText(GetCommandLineW());
}

// The names the open dialog returned, each joined to its folder.
static std::vector<std::wstring> ChosenPaths(const wchar_t* buffer, WORD nameOffset)
{
    std::vector<std::wstring> paths;
    if (nameOffset > 0 && buffer[nameOffset - 1] != L'\0') {
        paths.push_back(buffer);  // one file: the buffer holds its whole path
        return paths;
    }
    std::wstring folder = buffer;
    for (const wchar_t* name = buffer + folder.size() + 1; *name; name += wcslen(name) + 1)
        paths.push_back(JoinPath(folder, name));
    return paths;
}

int OpenFilesDialog()
{
    wchar_t filter[512] = {};  // label and pattern pairs, each ended by a NUL, and one more
    LoadText(IDS_OPEN_FILTER, filter, 512);
    std::vector<wchar_t> buffer(10000, L'\0');
    OPENFILENAMEW dialog = {sizeof dialog};
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = (DWORD)buffer.size();
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_LONGNAMES | OFN_NONETWORKBUTTON;
    if (!ShowFileDialog(OpenFileDialog, &dialog))
        return 0;
    int before = PlaylistCount();
    InsertIndex = before;
    BeginRowBatch();
    for (const std::wstring& path : ChosenPaths(buffer.data(), dialog.nFileOffset))
        LoadPath(path.c_str(), InsertIndex);
    EndRowBatch();
    UpdatePlaylistMenuItems();
    if (InsertIndex == before)
        return 0;
    MarkFirstIfIdle();
    return 1;
}
