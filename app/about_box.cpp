#include "app/about_box.h"

#include <stdio.h>

#include "app/app.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "resources/resource.h"

void FormatEngineLine(wchar_t* buf, int cap)
{
    // EngineVersionText ends in a line break of its own; the line keeps one only at its end.
    int n = 0;
    while (EngineVersionText[n] && EngineVersionText[n] != L'\n')
        n++;
    _snwprintf(buf, cap, L"再生エンジン %.*s / FFmpeg %s\n", n, EngineVersionText, MediaLibraryVersions().c_str());
    buf[cap - 1] = L'\0';
}

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        wchar_t text[160];
        LoadText(IDS_VERSION_TEXT, text, 100);
        SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, text);
        LoadText(IDS_COPYRIGHT, text, 100);
        SetDlgItemTextW(dialog, IDC_ABOUT_COPYRIGHT, text);
        FormatEngineLine(text, 160);
        SetDlgItemTextW(dialog, IDC_ABOUT_PLAYER, text);
        for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT, IDC_ABOUT_PLAYER})
            SendDlgItemMessageW(dialog, id, WM_SETFONT, (WPARAM)UiFont, FALSE);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void ShowAboutBox()
{
    DialogBoxParamW(AppInstance, MAKEINTRESOURCEW(IDD_ABOUT), MainWindow, AboutProc, 0);
}
