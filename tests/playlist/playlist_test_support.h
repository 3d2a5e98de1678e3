// Helpers of the playlist tests: real files in a temporary folder, real shell drops, the
// rows of the playlist view, answers to the file dialogs, the program started in-process.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_run.h"

// A fresh folder under the temporary folder, removed with its contents afterwards.
struct TempFolder {
    std::wstring Path;
    TempFolder();
    ~TempFolder();
    std::wstring operator/(const std::wstring& name) const { return Path + L"\\" + name; }
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// A file that intake takes as Flash Video (17 bytes beginning "FLV").
std::wstring MakeFlv(const std::wstring& path);
// A file that intake refuses (text).
std::wstring MakeText(const std::wstring& path);
std::string Utf8(const std::wstring& text);

// A drop handle as the shell builds it; the receiver releases it.
HDROP MakeDrop(const std::vector<std::wstring>& paths);
void DropOnPlaylist(const std::vector<std::wstring>& paths);
void DropOnVideo(const std::vector<std::wstring>& paths);

// The FullPath of every row, in order.
std::vector<std::wstring> EntryPaths();
std::wstring WindowTitle();
std::wstring TitleFor(const std::wstring& name);  // "Nimbrel - [name]"

// The file dialogs: answered by the test, never shown.
struct DialogAnswers {
    DialogAnswers();
    ~DialogAnswers();
};
// The next open dialog returns these names in folder (one name: the single-file form).
void AnswerOpen(const std::wstring& folder, const std::vector<std::wstring>& names);
// The next save dialog returns path.
void AnswerSave(const std::wstring& path);
void AnswerCancel();
int DialogsShown();
// What the program gave the last dialog it showed.
std::wstring LastDialogFilter();  // NULs shown as '|'
DWORD LastDialogFlags();
std::wstring LastDialogDefaultExtension();
HWND LastDialogOwner();

// The program started in-process with default settings, message boxes captured.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    CapturedBoxes Boxes;
    DialogAnswers Dialogs;
};

// The texts of every box shown since the test began.
std::vector<std::wstring> BoxTexts();
std::wstring LastBoxCaption();
UINT LastBoxStyle();
