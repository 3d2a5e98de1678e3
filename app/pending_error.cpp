#include "app/pending_error.h"

#include <wchar.h>

#include "app/message_box.h"

PendingErrorRecord PendingError;

void SetPendingError(int code, const wchar_t* subject)
{
    PendingError.Code = code;
    wcsncpy(PendingError.Subject, subject ? subject : L"", 1023);
    PendingError.Subject[1023] = L'\0';
}

void ComposeErrorText(int code, const wchar_t* subject, wchar_t* text, size_t cap)
{
    if (cap == 0)
        return;
    text[0] = L'\0';
    const wchar_t* suffix = nullptr;
    switch (code) {
    case ErrorNone:
        return;
    case ErrorStartup:
        wcsncpy(text, L"初期化に失敗しました", cap - 1);
        text[cap - 1] = L'\0';
        return;
    case ErrorSpecialCharacter:
        suffix = L"に特殊文字があるため読み込めません";
        break;
    case ErrorUnreadable:
        suffix = L"が読み込めません";
        break;
    default:
        wcsncpy(text, L"不明なエラーです", cap - 1);
        text[cap - 1] = L'\0';
        return;
    }
    size_t suffixLen = wcslen(suffix);
    if (suffixLen >= cap)
        return;
    size_t room = cap - 1 - suffixLen;
    size_t subjectLen = wcsnlen(subject, room);
    wmemcpy(text, subject, subjectLen);
    wmemcpy(text + subjectLen, suffix, suffixLen + 1);
}

void ReportPendingError(HWND owner)
{
    if (PendingError.Code == ErrorNone)
        return;
    wchar_t text[1024];
    ComposeErrorText(PendingError.Code, PendingError.Subject, text, 1024);
    ShowMessageBox(owner, text, L"Error", MB_ICONERROR | MB_OK);
}
