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

const HKEY Root = HKEY_CLASSES_ROOT, User = HKEY_CURRENT_USER;
std::wstring Value(HKEY root, const std::wstring& path, const wchar_t* name = nullptr)
{
    wchar_t v[1024] = {};
    DWORD bytes = sizeof v;
    return RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_NONE, nullptr, v, &bytes) ? L"-" : v;
}

// The three types' values under root and prefix; the types named in missing must have none.
void ExpectWritten(HKEY root, const std::wstring& prefix, const wchar_t* missing = L"")
{
    wchar_t exe[520];
    GetModuleFileNameW(nullptr, exe, 520);
    for (auto [type, description] : {std::pair{L"flv", L"FLV ファイル"}, {L"mp4", L"MP4 ファイル"}, {L"nbl", L"Nimbrel Play List"}}) {
        std::wstring ext = prefix + L"." + type, name = L"nimbrel_" + std::wstring(type), cls = prefix + name, all;
        for (const std::wstring& path : {ext, cls, cls + L"\\shell", cls + L"\\shell\\open\\command", cls + L"\\DefaultIcon"})
            all += Value(root, path) + L"|";
        all += Value(root, ext + L"\\OpenWithProgids", name.c_str());
        EXPECT_EQ(all, !wcsstr(missing, type) ? name + L"|" + description + L"|open|\"" + exe + L"\" \"%1\"|" + exe + L",0|"
                                               : L"-|-|-|-|-|-");
    }
}

bool FailMp4;  // else HKEY_CLASSES_ROOT is refused, as an unelevated user meets it
LONG Refusing(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    bool refused = FailMp4 ? wcsstr(path, L".mp4") != nullptr : root == Root;
    return refused ? ERROR_ACCESS_DENIED : WriteRegistryValue(root, path, name, type, value);
}

void Clear()
{
    for (const wchar_t* key : {L"nimbrel_flv", L"nimbrel_mp4", L"nimbrel_nbl", L".flv", L".mp4", L".nbl"}) {
        RegDeleteTreeW(Root, key);
        RegDeleteTreeW(User, (std::wstring(L"Software\\Classes\\") + key).c_str());
    }
}

TEST(Association, WrittenTwiceAlikeKeepingForeignKeysThenRefusedAndFailingWrites)
{
    AppInstance = GetModuleHandleW(nullptr);
    SetMessageBoxHandler(AnswerBox);
    Clear();
    Answer = IDNO;
    RegisterFileTypes();
    ExpectWritten(Root, L"", L"flv mp4 nbl");  // "No": nothing
    WriteRegistryValue(Root, L".flv", nullptr, REG_SZ, L"other.flv");  // a foreign class and verb
    WriteRegistryValue(Root, L".flv\\OpenWithProgids", L"other.flv", REG_NONE, L"");
    WriteRegistryValue(Root, L"nimbrel_flv\\shell\\edit\\command", nullptr, REG_SZ, L"editor");
    Answer = IDYES;
    RegisterFileTypes();
    RegisterFileTypes();
    ExpectWritten(Root, L"");
    EXPECT_EQ(Value(Root, L".flv\\OpenWithProgids", L"other.flv") + Value(Root, L"nimbrel_flv\\shell\\edit\\command"), L"editor");
    std::wstring ask = L"関連付けしますか？\n *.flv\n *.mp4\n *.nbl (再生リストファイル)", done = L"関連付けしました";
    EXPECT_EQ(Boxes, (std::vector<std::wstring>{ask, ask, done, ask, done}));
    Clear();
    SetRegistryWriter(Refusing);
    RegisterFileTypes();
    ExpectWritten(User, L"Software\\Classes\\");
    EXPECT_EQ(Boxes.back(), done);
    Clear();
    FailMp4 = true;
    RegisterFileTypes();
    ExpectWritten(Root, L"", L"mp4");
    EXPECT_EQ(Boxes.back(), L"関連付けに失敗しました");
    Clear();
    SetRegistryWriter(nullptr);
    SetMessageBoxHandler(nullptr);
}

}  // namespace
