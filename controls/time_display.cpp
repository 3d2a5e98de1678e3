#include "controls/time_display.h"

#include <stdio.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "controls/buffered_paint.h"
#include "engine/monitor.h"

void FormatTimeText(unsigned position, unsigned duration, wchar_t* buf, int cap)
{
    _snwprintf(buf, cap, L"%4u:%02u/%4u:%02u", position / 60, position % 60, duration / 60,
               duration % 60);
    buf[cap - 1] = L'\0';
}

static void DrawTimeDisplay(HDC dc, const RECT& client)
{
    wchar_t text[260];
    FormatTimeText(PlaybackPosition, PlaybackDuration, text, 260);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(dc, UiFont);
    // A glyph may reach past its advance width (the last digit's right edge): the text is
    // not clipped to its box, and two pixels are kept free for that overhang. A text too
    // wide for the box is still shortened with an ellipsis.
    RECT box = {client.left, client.top, client.right - Px(TimeTextInset), client.bottom};
    DrawTextExW(dc, text, -1, &box,
                DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_NOCLIP, nullptr);
    SelectObject(dc, oldFont);
}

static LRESULT CALLBACK TimeDisplayProc(HWND display, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintWindow(display, DrawTimeDisplay);
        return 0;
    case WM_PRINTCLIENT:
        PaintBuffered(display, (HDC)wParam, DrawTimeDisplay);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the buffered paint fills the background itself
    }
    return DefWindowProcW(display, message, wParam, lParam);
}

bool RegisterTimeDisplayClass()
{
    return RegisterChildClass(TimeDisplayClass, TimeDisplayProc, COLOR_BTNFACE);
}
