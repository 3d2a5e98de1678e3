#include "app/app.h"

HINSTANCE AppInstance;
HWND MainWindow;
HMENU MainMenu;
HMENU PlaylistMenu;
HFONT UiFont;
wchar_t ProductTitle[100];
SIZE MinTrackSize;

bool FullScreen;
bool BarInFullScreen = true;

void ResetAppState()
{
    MainWindow = nullptr;
    MainMenu = PlaylistMenu = nullptr;
    UiFont = nullptr;
    ProductTitle[0] = L'\0';
    MinTrackSize = {};
    FullScreen = false;
    BarInFullScreen = true;
}

int LoadText(UINT id, wchar_t* buf, int cap)
{
    if (cap <= 0)
        return 0;
    buf[0] = L'\0';
    // A zero buffer size would return a read-only pointer instead of copying.
    int n = LoadStringW(AppInstance, id, buf, cap);
    if (n < 0 || n >= cap)
        n = 0;
    buf[n] = L'\0';
    return n;
}

bool RegisterChildClass(const wchar_t* name, WNDPROC procedure, int backgroundColour)
{
    WNDCLASSEXW wc = {sizeof wc};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = AppInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(INT_PTR)(backgroundColour + 1);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
