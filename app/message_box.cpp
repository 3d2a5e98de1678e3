#include "app/message_box.h"

static struct {
    MessageBoxHandler handler;
} M;

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style)
{
    if (M.handler)
        return M.handler(owner, text, caption, style);
    return MessageBoxW(owner, text, caption, style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = M.handler;
    M.handler = handler;
    return previous;
}
