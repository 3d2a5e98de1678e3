#include "app/message_box.h"

#include <utility>

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
    return std::exchange(M.handler, handler);
}
