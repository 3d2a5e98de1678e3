// The single pending error record and its message box.
#pragma once
#include <windows.h>

enum PendingErrorCode {
    ErrorNone = 0,
    ErrorStartup = 1,          // start-up failed
    ErrorSpecialCharacter = 2, // the named file contains special characters
    ErrorUnreadable = 3,       // the named file cannot be read
};

struct PendingErrorRecord {
    int Code;
    wchar_t Subject[1024];
};

extern PendingErrorRecord PendingError;

void SetPendingError(int code, const wchar_t* subject);
// Shows the pending error (nothing for code 0), caption "Error", error icon.
void ReportPendingError(HWND owner);
// Composes the message for code and subject into text (cap characters). A subject too
// long for the buffer is cut so that the message still ends with its whole suffix.
void ComposeErrorText(int code, const wchar_t* subject, wchar_t* text, size_t cap);
