// Process-wide set-up of the playback engine, the first and last steps of start-up.
#pragma once
#include <windows.h>

// Forgets an engine start of an earlier run in this process. The engine has nothing else to
// prepare at this step, so the result is always S_OK; start-up still ends on a negative one.
HRESULT InitEngineModule();
// Starts the engine process-wide (MediaEngineStartup: its window class and its own set-up);
// false, when that start-up gave a negative result, ends start-up.
bool RegisterEngineHost(HINSTANCE instance);
// Shuts the engine down again when RegisterEngineHost had started it.
void TermEngineModule();
