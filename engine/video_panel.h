// The video panel: writes the player movie out, hosts the media engine, runs the monitor.
#pragma once
#include <windows.h>

extern wchar_t EngineVersionText[16];  // "major.minor\n" of the engine

// No panel, no engine: the state of a fresh start-up.
void ResetVideoPanel();

// Registers the class and creates the panel with its engine; false on any failure.
bool CreateVideoPanel();
// Writes resource "SWF" 200 to path; false when the resource or the write fails.
bool ExtractPlayerMovie(const wchar_t* path);
struct MediaEngine;
// The engine inside the panel, or null before creation and after destruction.
MediaEngine* PanelEngine();
// Whether the engine exists (variable reads and writes need it).
bool IsMovieLoaded();
