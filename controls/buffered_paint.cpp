#include "controls/buffered_paint.h"

void PaintBuffered(HWND window, HDC target, DrawFunction draw)
{
    RECT client;
    GetClientRect(window, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    if (!memory || !bitmap) {  // out of GDI resources: draw directly rather than not at all
        if (memory)
            DeleteDC(memory);
        if (bitmap)
            DeleteObject(bitmap);
        FillRect(target, &client, GetSysColorBrush(COLOR_BTNFACE));
        draw(target, client);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));
    draw(memory, client);
    BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

void PaintWindow(HWND window, DrawFunction draw)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc)
        PaintBuffered(window, dc, draw);
    EndPaint(window, &ps);
}
