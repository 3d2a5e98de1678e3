// The About box: version, copyright and the engine in use.
#pragma once
#include <windows.h>

// Command 40032: the modal About box owned by MainWindow.
void ShowAboutBox();
// The box's third line: the engine's version and the FFmpeg libraries in it, ending in a line break.
void FormatEngineLine(wchar_t* buf, int cap);
