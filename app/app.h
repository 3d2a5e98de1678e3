// Program-wide state of the application shell: the one instance of each window,
// menu and font, created at start-up and read by every part of the program.
#pragma once
#include <windows.h>

extern HINSTANCE AppInstance;        // for every resource load
extern HWND MainWindow;              // recorded at WM_CREATE, never cleared
extern HMENU MainMenu;               // sub-menu 0 of menu 102
extern HMENU PlaylistMenu;           // sub-menu 0 of menu 103
extern HFONT UiFont;                 // the icon-title font
extern wchar_t ProductTitle[100];    // string 40101
extern SIZE MinTrackSize;            // outer size of a 390 x 30 client area

// View modes.
extern bool FullScreen;
extern bool BarInFullScreen;  // 1 at start: full screen shows the bar until F10 hides it

// Child windows, each defined and reset by the module that creates it; null until it exists.
extern HWND VideoPanel;    // engine/video_panel
extern HWND PlaylistPanel;  // controls/playlist_panel
extern HWND PlaylistView;   // controls/playlist_panel

// Resets the state above that this module owns, for a fresh start-up.
void ResetAppState();

// Registers a private child-window class (redraw on resize, arrow cursor, the system
// colour given as background); one already registered by an earlier start is fine.
bool RegisterChildClass(const wchar_t* name, WNDPROC procedure, int backgroundColour);

// Loads a string resource into buf (cap characters, always terminated); returns its length.
int LoadText(UINT id, wchar_t* buf, int cap);
