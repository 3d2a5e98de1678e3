// The file association read back through HKEY_CLASSES_ROOT; refused and failing writes
// through the registry seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/message_box.h"
#include "playlist/file_association.h"

namespace {

int Answer;
std::vector<std::wstring> Boxes;
int AnswerBox(HWND, const wchar_t* text, const wchar_t*, UINT) { Boxes.push_back(text); return Answer; }

std::wstring Value(HKEY root, const std::wstring& path, const wchar_t* name = nullptr)
{
    wchar_t v[1024] = {};
    DWORD bytes = sizeof v;
    return RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_NONE, nullptr, v, &bytes) ? L"<none>" : v;
}

// Every value the association writes, as "path=value" lines read back under root.
std::wstring Snapshot(HKEY root, const std::wstring& prefix = L"")
{
    std::wstring exe(520, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), 520));
    std::wstring all;
    for (const wchar_t* type : {L"flv", L"mp4", L"nbl"}) {
        std::wstring ext = prefix + L"." + type, cls = prefix + L"nimbrel_" + type;
        for (const std::wstring& path : {ext, cls, cls + L"\\shell", cls + L"\\shell\\open\\command", cls + L"\\DefaultIcon"})
            all += path.substr(prefix.size()) + L"=" + Value(root, path) + L"\n";
        all += L"progid=" + Value(root, ext + L"\\OpenWithProgids", (L"nimbrel_" + std::wstring(type)).c_str()) + L"\n";
    }
    for (size_t at; (at = all.find(exe)) != std::wstring::npos;)
        all.replace(at, exe.size(), L"EXE");
    return all;
}

const wchar_t Expected[] =
    L".flv=nimbrel_flv\nnimbrel_flv=FLV ファイル\nnimbrel_flv\\shell=open\nnimbrel_flv\\shell\\open\\command=\"EXE\" \"%1\"\n"
    L"nimbrel_flv\\DefaultIcon=EXE,0\nprogid=\n"
    L".mp4=nimbrel_mp4\nnimbrel_mp4=MP4 ファイル\nnimbrel_mp4\\shell=open\nnimbrel_mp4\\shell\\open\\command=\"EXE\" \"%1\"\n"
    L"nimbrel_mp4\\DefaultIcon=EXE,0\nprogid=\n"
    L".nbl=nimbrel_nbl\nnimbrel_nbl=Nimbrel Play List\nnimbrel_nbl\\shell=open\nnimbrel_nbl\\shell\\open\\command=\"EXE\" \"%1\"\n"
    L"nimbrel_nbl\\DefaultIcon=EXE,0\nprogid=\n";

void Clear()
{
    for (const wchar_t* key : {L"nimbrel_flv", L"nimbrel_mp4", L"nimbrel_nbl", L".flv", L".mp4", L".nbl"}) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + key).c_str());
    }
}

// Refuses HKEY_CLASSES_ROOT as an unelevated user meets it, and fails everything under ".mp4" when asked.
bool FailMp4;
LONG Refusing(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    if (FailMp4 ? wcsstr(path, L".mp4") != nullptr : root == HKEY_CLASSES_ROOT)
        return ERROR_ACCESS_DENIED;
    return WriteRegistryValue(root, path, name, type, value);
}

struct Association : ::testing::Test {
    void SetUp() override
    {
        AppInstance = GetModuleHandleW(nullptr);
        SetMessageBoxHandler(AnswerBox);
        Boxes.clear();
        Clear();
    }
    void TearDown() override
    {
        Clear();
        SetMessageBoxHandler(nullptr);
        SetRegistryWriter(nullptr);
    }
};

TEST_F(Association, YesWritesTheKeysTwiceAlikeAndKeepsForeignOnes)
{
    Answer = IDNO;
    RegisterFileTypes();
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".nbl") + Value(HKEY_CLASSES_ROOT, L"nimbrel_nbl"), L"<none><none>");
    // A foreign class on ".flv" and a verb the program never wrote.
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv", nullptr, REG_SZ, L"other.flv");
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv\\OpenWithProgids", L"other.flv", REG_NONE, L"");
    WriteRegistryValue(HKEY_CLASSES_ROOT, L"nimbrel_flv\\shell\\edit\\command", nullptr, REG_SZ, L"editor");
    Answer = IDYES;
    for (int run = 0; run < 2; run++) {
        RegisterFileTypes();
        EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT), Expected);
    }
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".flv\\OpenWithProgids", L"other.flv") + Value(HKEY_CLASSES_ROOT, L"nimbrel_flv\\shell\\edit\\command"), L"editor");
    const std::wstring ask = L"関連付けしますか？\n *.flv\n *.mp4\n *.nbl (再生リストファイル)", done = L"関連付けしました";
    EXPECT_EQ(Boxes, (std::vector<std::wstring>{ask, ask, done, ask, done}));  // "No" shows nothing more
}

TEST_F(Association, RefusedWritesGoToTheUserAndFailuresStillWriteTheOtherTypes)
{
    Answer = IDYES;
    SetRegistryWriter(Refusing);
    RegisterFileTypes();
    EXPECT_EQ(Snapshot(HKEY_CURRENT_USER, L"Software\\Classes\\"), Expected);
    EXPECT_EQ(Boxes.back(), L"関連付けしました");
    Clear();
    FailMp4 = true;
    RegisterFileTypes();
    FailMp4 = false;
    std::wstring written = Snapshot(HKEY_CLASSES_ROOT), expected = Expected;
    size_t from = expected.find(L".mp4"), to = expected.find(L".nbl");
    expected.replace(from, to - from, L".mp4=<none>\nnimbrel_mp4=<none>\nnimbrel_mp4\\shell=<none>\n"
                     L"nimbrel_mp4\\shell\\open\\command=<none>\nnimbrel_mp4\\DefaultIcon=<none>\nprogid=<none>\n");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(Boxes.back(), L"関連付けに失敗しました");
}

}  // namespace
