// What the exe brings and installs: the manifest, the file association.
#include "app/app.h"
#include "app/message_box.h"
#include "playlist/file_association.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

// The manifest binds comctl32 6 and declares per-monitor DPI awareness.
TEST(Resources, TheManifest)
{
    ACTCTX_SECTION_KEYED_DATA data = {sizeof data};
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data));
    wchar_t awareness[64] = {};  // as declared (Wine treats every process as aware)
    const wchar_t* settings = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    QueryActCtxSettingsW(0, nullptr, settings, L"dpiAwareness", awareness, 64, nullptr);
    EXPECT_STREQ(awareness, L"PerMonitorV2, PerMonitor");
}

int Answer;
std::vector<std::wstring> Boxes;
LONG RefuseRoot(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    return root == HKEY_CLASSES_ROOT ? ERROR_ACCESS_DENIED : WriteRegistryValue(root, path, name, type, value);
}
LONG RefuseMp4(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* value)
{
    return wcsstr(path, L".mp4") ? ERROR_ACCESS_DENIED : WriteRegistryValue(root, path, name, type, value);
}

// The classes roots are this test's own keys: the machine's associations are never touched.
struct Association : ::testing::Test {
    HKEY Keys[2] = {}, Predefined[2] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER};
    void SetUp() override
    {
        for (int i = 0; i < 2; i++) {
            RegCreateKeyExW(HKEY_CURRENT_USER, i ? L"Software\\Nimbrel test\\user" : L"Software\\Nimbrel test\\root", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &Keys[i], nullptr);
            ASSERT_EQ(RegOverridePredefKey(Predefined[i], Keys[i]), ERROR_SUCCESS);
        }
        AppInstance = GetModuleHandleW(nullptr);
        SetMessageBoxHandler([](HWND, const wchar_t* text, const wchar_t*, UINT) { return Boxes.push_back(text), Answer; });
    }
    void TearDown() override
    {
        SetRegistryWriter(nullptr), SetMessageBoxHandler(nullptr);
        for (int i = 0; i < 2; i++)
            RegOverridePredefKey(Predefined[i], nullptr), RegCloseKey(Keys[i]);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Nimbrel test");
    }
    std::wstring Value(HKEY key, const std::wstring& path, const wchar_t* name = nullptr)  // "-" when absent
    {
        wchar_t v[1024] = {};
        DWORD bytes = sizeof v;
        return RegGetValueW(key, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_NONE, nullptr, v, &bytes) ? L"-" : v;
    }
    // The values of the three types under key and prefix: each written, or (named in missing) none.
    void ExpectWritten(HKEY key, const std::wstring& prefix, const wchar_t* missing)
    {
        wchar_t exe[520];
        GetModuleFileNameW(nullptr, exe, 520);
        for (auto [type, description] :
             {std::pair{L"flv", L"FLV ファイル"}, {L"mp4", L"MP4 ファイル"}, {L"nbl", L"Nimbrel Play List"}}) {
            std::wstring ext = prefix + L"." + type, name = L"nimbrel_" + std::wstring(type), cls = prefix + name, all;
            for (const std::wstring& path : {ext, cls, cls + L"\\shell", cls + L"\\shell\\open\\command", cls + L"\\DefaultIcon"})
                all += Value(key, path) + L"|";
            all += Value(key, ext + L"\\OpenWithProgids", name.c_str());
            EXPECT_EQ(all, wcsstr(missing, type) ? L"-|-|-|-|-|-"
                                                 : name + L"|" + description + L"|open|\"" + exe + L"\" \"%1\"|" + exe + L",0|");
        }
    }
};

// A too long path writes nothing; other types offer the player under "Open with", their default kept;
// "No" writes nothing; "Yes" writes (the user's classes if refused), reports a failure, keeps others'.
TEST_F(Association, WrittenOnlyWholeAskedRefusedFailedAndForOtherTypes)
{
    wchar_t any[64];
    EXPECT_FALSE(WriteFileTypes(std::wstring(520, L'x').c_str()));
    EXPECT_EQ(RegEnumKeyW(Keys[0], 0, any, 64), ERROR_NO_MORE_ITEMS) << "a key was written: " << Utf8(any);
    EXPECT_TRUE(WriteFileTypes(L"C:\\Apps\\Nimbrel.exe"));
    for (std::wstring type : {L"mkv", L"webm", L"opus"}) {
        std::wstring name = L"nimbrel_" + type, ext = L"." + type;
        std::wstring listed = Value(Keys[0], ext + L"\\OpenWithProgids", name.c_str()) + L"|";
        EXPECT_EQ(Value(Keys[0], ext) + L"|" + listed + Value(Keys[0], name + L"\\shell\\open\\command"),
                  L"-||\"C:\\Apps\\Nimbrel.exe\" \"%1\"") << type;
    }
    EXPECT_EQ(Value(Keys[0], L"nimbrel_webm"), L"WEBM ファイル");
    const wchar_t *ask = L"関連付けしますか？\n *.flv\n *.mp4\n *.nbl (再生リストファイル)", *done = L"関連付けしました";
    struct Step { int answer; RegistryWriter writer; int key; const wchar_t *prefix, *missing, *box; } steps[] = {
        {IDNO, nullptr, 0, L"", L"flv mp4 nbl", ask}, {IDYES, nullptr, 0, L"", L"", done},
        {IDYES, RefuseRoot, 1, L"Software\\Classes\\", L"", done}, {IDYES, RefuseMp4, 0, L"", L"mp4", L"関連付けに失敗しました"},
    };
    for (const Step& s : steps) {
        for (HKEY key : Keys)
            RegDeleteTreeW(key, nullptr);
        Answer = s.answer;
        SetRegistryWriter(s.writer);
        RegisterFileTypes();
        ExpectWritten(Keys[s.key], s.prefix, s.missing);
        EXPECT_EQ(Boxes.back(), s.box);
    }
    SetRegistryWriter(nullptr);
    WriteRegistryValue(HKEY_CLASSES_ROOT, L".flv\\OpenWithProgids", L"other.flv", REG_NONE, L"");
    WriteRegistryValue(HKEY_CLASSES_ROOT, L"nimbrel_flv\\shell\\edit\\command", nullptr, REG_SZ, L"editor");
    RegisterFileTypes(), RegisterFileTypes();
    ExpectWritten(Keys[0], L"", L"");
    EXPECT_EQ(Value(Keys[0], L".flv\\OpenWithProgids", L"other.flv") + Value(Keys[0], L"nimbrel_flv\\shell\\edit\\command"), L"editor");
}

}  // namespace
