// The media engine: plays FLV and MP4 files in a child window and talks to its host through
// named text variables on the player movie's root.
// It includes no host header; the host reaches it only through the operations below.
#pragma once
#include <windows.h>
#include <string>

// Process-wide set-up of the engine (its window class, its own start-up); the host calls it once
// at start-up before creating an engine, and MediaEngineShutdown once at the end.
HRESULT MediaEngineStartup(HINSTANCE instance);
void MediaEngineShutdown();

struct MediaEngine;  // one player: decoding threads, audio output and its own child window

// Creates an engine whose window (WS_CHILD | WS_VISIBLE) becomes the first child window of parent
// and is sized to the parent's client area. Returns nullptr on failure. The host keeps it at the
// parent's client size; the engine fits the picture on its own WM_SIZE. Release() stops
// everything and destroys the window.
MediaEngine* CreateMediaEngine(HWND parent);

HRESULT put_Movie(MediaEngine*, const wchar_t* path);  // load the player movie file
HRESULT put_Menu(MediaEngine*, BOOL show);
HRESULT Play(MediaEngine*);                            // start the movie: variables, watches, fit
HRESULT EngineVersion(MediaEngine*, long* version);     // major << 16 | minor
// The FFmpeg libraries built into the engine: "avformat a.b.c, avcodec a.b.c, avutil a.b.c".
std::wstring MediaLibraryVersions();
HRESULT SetVariable(MediaEngine*, const wchar_t* name, const wchar_t* value);
HRESULT GetVariable(MediaEngine*, const wchar_t* name, std::wstring* value);  // empty = absent
HRESULT Stop(MediaEngine*);
void Release(MediaEngine*);
