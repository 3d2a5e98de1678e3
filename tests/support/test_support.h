// What the program tests share beside test_files.h: the settings file beside the test program,
// the program started in-process with its message boxes and file dialogs captured, real shell
// drops and pixels read back.
#pragma once
#include <vector>

#include "test_files.h"

using Paths = std::vector<std::wstring>;

std::wstring MakeFlv(const std::wstring& path);   // taken by intake as Flash Video (17 bytes)
std::wstring MakeText(const std::wstring& path);  // refused by intake

// The settings file the program uses inside the test program.
void WriteTestIni(const std::string& text);  // empty text removes the file
std::string ReadTestIni();
std::string IniValue(const std::string& ini, const std::string& key);  // "" when absent

// While an AppTest runs, the texts of message boxes are recorded here, never shown, and file
// dialogs are answered by the test, never shown: cancelled unless an answer is set.
extern Paths BoxTexts;
void AnswerOpen(const std::wstring& folder, const Paths& names);  // one name: the single-file form
void AnswerSave(const std::wstring& path);
void AnswerCancel();
// What the program gave the last dialog it showed.
struct DialogRecord {
    int Shown;
    std::wstring Filter;  // NULs shown as '|'
    std::wstring DefaultExtension;
    DWORD Flags;
    HWND Owner;
};
extern DialogRecord LastDialog;

// The program in-process.
bool StartApp();
int CloseApp();  // closes the main window as the user would, runs shutdown; the exit code
std::wstring EngineValue(const wchar_t* name);  // a variable of the engine's movie, "" when absent
void SetEngineValue(const wchar_t* name, const wchar_t* value);
void Command(UINT id);                          // WM_COMMAND to the main window
void DropOnPlaylist(const Paths& paths);        // as the shell drops files
void DropOnVideo(const Paths& paths);
Paths EntryPaths();                 // the FullPath of every row, in order
void SetRow(int row, UINT state);  // the selected and focused bits of a row (-1: every row)
// The current entry, the play state and what the title adds: "1 Playing [b.flv]", "-1 Idle".
std::wstring NowPlaying();

// Pixels as a window draws its client area for WM_PRINTCLIENT, or as draw() paints them.
struct Picture {
    int Width, Height;
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[y * Width + x]; }
};
Picture Capture(int width, int height, const std::function<void(HDC)>& draw);
Picture Print(HWND window, UINT flags = PRF_CLIENT);

// The program started with no settings file, boxes and dialogs captured, a temporary folder.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Restart(const std::string& ini);  // closed, then started again with this settings file
    TempFolder Dir;
    Paths Files;
    void AddFiles(const Paths& names);  // made in Dir, kept in Files and dropped on the playlist
};

// GDI objects of this process (counted from Wine's handle table where the system does not count them).
long GdiObjects();
