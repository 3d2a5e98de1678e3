#include "controls/seek_bar.h"

#include <stdio.h>
#include <windowsx.h>

#include "app/app.h"
#include "app/display_scale.h"
#include "app/settings.h"
#include "controls/buffered_paint.h"
#include "controls/control_bar.h"
#include "controls/cursor_hide.h"
#include "engine/monitor.h"
#include "engine/movie_variables.h"
#include "engine/playback_commands.h"

static struct {
    bool Dragging;   // an accepted press holds the capture
    bool Hover;      // a leave notification is armed; the hover time is drawn
    int HoverX;      // the pointer's client x at the last move
} S;

void ResetSeekBar()
{
    S = {};
}

RECT HoverTextBox(int x, int width, int height, int dpi, bool* rightAligned)
{
    int gap = ScaleToDpi(10, dpi), reach = ScaleToDpi(60, dpi);
    *rightAligned = x >= width / 2;
    if (*rightAligned)
        return {x - reach, 0, x - gap, height};
    return {x + gap, 0, x + reach, height};
}

void FormatHoverTime(unsigned seconds, wchar_t* buf, int cap)
{
    _snwprintf(buf, cap, L"%u:%02u", seconds / 60, seconds % 60);
    buf[cap - 1] = L'\0';
}

static bool Interactive()
{
    return PlayState == Playing || PlayState == Paused;
}

static bool SectionShown()
{
    return Settings.Repeat == RepeatSection && Section.SectionActive && PlaybackDuration;
}

static void FillBox(HDC dc, int left, int top, int right, int bottom, HBRUSH brush)
{
    RECT r = {left, top, right, bottom};
    FillRect(dc, &r, brush);
}

static void DrawHoverTime(HDC dc, const RECT& client)
{
    wchar_t text[32];
    FormatHoverTime(PointerToSeconds(S.HoverX, client.right, PlaybackDuration), text, 32);
    bool right;
    RECT box = HoverTextBox(S.HoverX, client.right, client.bottom, UiDpi(), &right);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(dc, UiFont);
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (right ? DT_RIGHT : 0);
    DrawTextExW(dc, text, -1, &box, flags, nullptr);
    SelectObject(dc, oldFont);
}

static void DrawSeekBar(HDC dc, const RECT& client)
{
    int w = client.right, h = client.bottom;
    FillBox(dc, 0, 0, SecondsToPixel(PlaybackPosition, PlaybackDuration, w), h,
            GetSysColorBrush(COLOR_BTNSHADOW));
    if (SectionShown()) {
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        int s = SecondsToPixel(Section.SectionStart, PlaybackDuration, w);
        int e = SecondsToPixel(Section.SectionEnd, PlaybackDuration, w);
        int band = Px(4), half = Px(1);
        FillBox(dc, s, h - band, e, h, green);
        FillBox(dc, s - half, 0, s + half, h, green);
        FillBox(dc, e - half, 0, e + half, h, green);
        DeleteObject(green);
    }
    if (S.Hover)
        DrawHoverTime(dc, client);
}

static int ClientWidth(HWND bar)
{
    RECT r;
    GetClientRect(bar, &r);
    return r.right;
}

static int HitAt(HWND bar, int x)
{
    return HitMarker(x, ClientWidth(bar), Section, PlaybackDuration, Settings.Repeat == RepeatSection, UiDpi());
}

static void DragStep(HWND bar, int x)
{
    if (!Interactive())  // stopped while the button was held: nothing left to seek in
        return;
    unsigned s = PointerToSeconds(x, ClientWidth(bar), PlaybackDuration);
    if (Section.SectionDrag == EndMarker) {
        // Only the section changes; the monitor is idle meanwhile, so repaint here.
        Section.SectionEnd = s > Section.SectionStart ? s : Section.SectionStart + 1;
        InvalidateRect(bar, nullptr, TRUE);
        if (TimeDisplay)
            InvalidateRect(TimeDisplay, nullptr, TRUE);
        return;
    }
    s = SeekTarget(s, PlaybackDuration);
    if (Section.SectionDrag == StartMarker)
        Section.SectionLoopPoint = s;
    SetMovieVariable(MovieSeek, (int)s, nullptr);
}

static void EndDrag()
{
    if (PlayState == Playing)
        SetMovieVariable(MoviePause, 0, nullptr);
    SeekDragActive = false;
    S.Dragging = false;
    Section.SectionDrag = 0;
}

static void OnSetCursor(HWND bar)
{
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(bar, &p);
    SetCursor(LoadCursorW(nullptr, HitAt(bar, p.x) ? IDC_SIZEWE : IDC_HAND));
}

static void OnMouseMove(HWND bar, int x)
{
    NoteMouseActivity(0);
    S.HoverX = x;  // the hover time follows the pointer, dragging or not
    if (S.Dragging && GetCapture() == bar) {
        DragStep(bar, x);
        if (S.Hover)
            InvalidateRect(bar, nullptr, TRUE);
        return;
    }
    if (!S.Hover && Interactive()) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, bar, 0};
        S.Hover = TrackMouseEvent(&track) != FALSE;
        if (!S.Hover)
            return;  // tried again at the next move
    }
    InvalidateRect(bar, nullptr, TRUE);
}

static void OnButtonDown(HWND bar, int x)
{
    if (!Interactive())
        return;
    SetCapture(bar);
    Section.SectionDrag = HitAt(bar, x);
    S.Dragging = true;
    if (PlayState == Playing)
        SetMovieVariable(MoviePause, 1, nullptr);  // the play state itself stays Playing
    SeekDragActive = true;
}

static void OnButtonUp(HWND bar, int x)
{
    if (!S.Dragging || GetCapture() != bar)
        return;
    DragStep(bar, x);  // a click without movement seeks here, once
    EndDrag();
    ReleaseCapture();
}

static void OnCaptureChanged()
{
    if (S.Dragging)
        EndDrag();  // taken away: no final seek
}

static void OnMouseLeave(HWND bar)
{
    S.Hover = false;
    InvalidateRect(bar, nullptr, TRUE);
}

static LRESULT CALLBACK SeekBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintWindow(bar, DrawSeekBar);
        return 0;
    case WM_PRINTCLIENT:
        PaintBuffered(bar, (HDC)wParam, DrawSeekBar);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the buffered paint fills the background itself
    case WM_SETCURSOR:
        OnSetCursor(bar);
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(bar, GET_X_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(bar, GET_X_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(bar, GET_X_LPARAM(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged();
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave(bar);
        return 0;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

bool RegisterSeekBarClass()
{
    return RegisterChildClass(SeekBarClass, SeekBarProc, COLOR_BTNFACE);
}
