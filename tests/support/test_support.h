// What the program tests share: the program in-process, its boxes and dialogs answered, drops, pixels.
#pragma once
#include <vector>

#include "test_files.h"

using Paths = std::vector<std::wstring>;

std::wstring MakeFlv(const std::wstring& path);   // taken by intake as Flash Video (17 bytes)

// The settings file beside the test program: written (an empty text removes it) and read.
void WriteTestIni(const std::string& text);
std::string ReadTestIni();
std::string IniValue(const std::string& ini, const std::string& key);  // "" when absent

// In an AppTest boxes land in BoxTexts; dialogs answer DialogAnswer ("": cancel; folder\0names...).
extern Paths BoxTexts;
extern std::wstring DialogAnswer;
extern struct DialogRecord { int Shown; HWND Owner; } LastDialog;

bool StartApp();
int CloseApp();  // closes the main window as the user would, runs shutdown; the exit code
std::wstring EngineValue(const wchar_t* name);  // a variable of the engine's movie, "" when absent
void SetEngineValue(const wchar_t* name, const wchar_t* value);
void Command(UINT id);                             // WM_COMMAND to the main window
void Drop(HWND target, const Paths& paths);        // as the shell drops files on a panel
inline void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
Paths EntryPaths();                                // the FullPath of every row, in order
RECT Rect(HWND window);             // on the screen
std::wstring NowPlaying();  // the current entry, the play state, the title's addition: "1 Playing [b.flv]"
// NowPlaying, the rows' names, the boxes since the last call: "0 Stopped [a.flv] | a.flv b.flv | c.flvが…".
std::wstring ListState();
// Runs each step, then compares what state() says with the step's text.
using Steps = std::vector<std::pair<std::function<void()>, std::wstring>>;
void ExpectSteps(const std::function<std::wstring()>& state, const Steps& steps);

// The program started with no settings file, boxes and dialogs captured, a temporary folder.
struct AppTest : ::testing::Test {
    void SetUp() override;
    void TearDown() override;
    void Restart(const std::string& ini);  // closed, then started again with this settings file
    TempFolder Dir;
    Paths Files;
    void AddFiles(const Paths& names);  // made in Dir, kept in Files (in place of earlier ones), dropped
};
