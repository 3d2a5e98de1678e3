#include "app/file_dialog.h"

#include <utility>

static struct {
    FileDialogHandler handler;
} M;

BOOL ShowFileDialog(FileDialogKind kind, OPENFILENAMEW* dialog)
{
    if (M.handler)
        return M.handler(kind, dialog);
    return kind == SaveFileDialog ? GetSaveFileNameW(dialog) : GetOpenFileNameW(dialog);
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler)
{
    return std::exchange(M.handler, handler);
}
