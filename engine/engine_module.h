// Process-wide set-up of the playback engine, the first and last steps of start-up.
#pragma once
#include <windows.h>

// Prepares the engine module; a negative result ends start-up.
HRESULT InitEngineModule();
// Makes the engine's window class available to the video panel; false ends start-up.
bool RegisterEngineHost(HINSTANCE instance);
// Undoes both.
void TermEngineModule();
