// The file association read back through HKEY_CLASSES_ROOT; refused and failing writes through the seam.
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
    return RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_NONE, nullptr, v, &bytes) ? L"-" : v;
}

// One type's values under root and prefix, '|'-joined; an absent value reads "-".
std::wstring Written(HKEY root, const std::wstring& prefix, const std::wstring& type)
{
    std::wstring ext = prefix + L"." + type, cls = prefix + L"nimbrel_" + type, all;
    for (const std::wstring& path : {ext, cls, cls + L"\\shell", cls + L"\\shell\\open\\command", cls + L"\\DefaultIcon"})
        all += Value(root, path) + L"|";
    return all + Value(root, ext + L"\\OpenWithProgids", (L"nimbrel_" + type).c_str());
}

const wchar_t* const Types[][2] = {{L"flv", L"FLV ファイル"}, {L"mp4", L"MP4 ファイル"}, {L"nbl", L"Nimbrel Play List"}};

std::wstring Expected(const std::wstring& type, const std::wstring& description)
{
    wchar_t exe[520];
    GetModuleFileNameW(nullptr, exe, 520);
    return L"nimbrel_" + type + L"|" + description + L"|open|\"" + exe + L"\" \"%1\"|" + exe + L",0|";
}

bool FailMp4;  // else HKEY_CLASSES_ROOT is refused, as an unelevated user meets it
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
        Answer = IDYES;
        Boxes.clear();
        Clear();
    }
    void TearDown() override
    {
        Clear();
        SetMessageBoxHandler(nullptr);
        SetRegistryWriter(nullptr);
    }
    static void Clear()
    {
        for (const wchar_t* key : {L"nimbrel_flv", L"nimbrel_mp4", L"nimbrel_nbl", L".flv", L".mp4", L".nbl"}) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
            RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + key).c_str());
        }
    }
};

TEST_F(Association, YesWritesTheKeysTwiceAlikeAndKeepsForeignOnes)
{
    Answer = IDNO;
    RegisterFileTypes();
    EXPECT_EQ(Written(HKEY_CLASSES_ROOT, L"", L"nbl"), L"-|-|-|-|-|-");
    // A foreign class on ".flv" and a verb the program never wrote.
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv", nullptr, REG_SZ, L"other.flv");
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv\\OpenWithProgids", L"other.flv", REG_NONE, L"");
    WriteRegistryValue(HKEY_CLASSES_ROOT, L"nimbrel_flv\\shell\\edit\\command", nullptr, REG_SZ, L"editor");
    Answer = IDYES;
    for (int run = 0; run < 2; run++) {
        RegisterFileTypes();
        for (auto [type, description] : Types)
            EXPECT_EQ(Written(HKEY_CLASSES_ROOT, L"", type), Expected(type, description));
    }
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L".flv\\OpenWithProgids", L"other.flv") +
                  Value(HKEY_CLASSES_ROOT, L"nimbrel_flv\\shell\\edit\\command"), L"editor");
    std::wstring ask = L"関連付けしますか？\n *.flv\n *.mp4\n *.nbl (再生リストファイル)", done = L"関連付けしました";
    EXPECT_EQ(Boxes, (std::vector<std::wstring>{ask, ask, done, ask, done}));  // "No" shows nothing more
}

TEST_F(Association, RefusedWritesGoToTheUserAndAFailureStillWritesTheOtherTypes)
{
    SetRegistryWriter(Refusing);
    RegisterFileTypes();
    for (auto [type, description] : Types)
        EXPECT_EQ(Written(HKEY_CURRENT_USER, L"Software\\Classes\\", type), Expected(type, description));
    EXPECT_EQ(Boxes.back(), L"関連付けしました");
    Clear();
    FailMp4 = true;
    RegisterFileTypes();
    FailMp4 = false;
    for (auto [type, description] : Types)
        EXPECT_EQ(Written(HKEY_CLASSES_ROOT, L"", type), type[0] == L'm' ? L"-|-|-|-|-|-" : Expected(type, description));
    EXPECT_EQ(Boxes.back(), L"関連付けに失敗しました");
}

}  // namespace
