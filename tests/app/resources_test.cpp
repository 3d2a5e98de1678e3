// The resources as the program loads them: menus, accelerators, strings, dialog, icons, version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"

using namespace std::string_literals;

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// One line per item: "id label", "-" for a separator, "> label" opening a sub-menu;
// sub-menu items are indented by two spaces.
void Describe(HMENU menu, const std::wstring& indent, std::vector<std::wstring>& out)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        wchar_t label[256] = L"";
        MENUITEMINFOW mii = {sizeof mii};
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        mii.dwTypeData = label;
        mii.cch = 256;
        ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &mii));
        if (mii.fType & MFT_SEPARATOR) {
            out.push_back(indent + L"-");
        } else if (mii.hSubMenu) {
            out.push_back(indent + L"> " + label);
            Describe(mii.hSubMenu, indent + L"  ", out);
        } else {
            out.push_back(indent + std::to_wstring(mii.wID) + L" " + label);
        }
    }
}

std::vector<std::wstring> DescribeResourceMenu(UINT id)
{
    HMENU resource = LoadMenuW(Instance(), MAKEINTRESOURCEW(id));
    std::vector<std::wstring> out;
    EXPECT_EQ(GetMenuItemCount(resource), 1);
    wchar_t caption[16] = L"";
    GetMenuStringW(resource, 0, caption, 16, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"x");
    Describe(GetSubMenu(resource, 0), L"", out);
    DestroyMenu(resource);
    return out;
}

TEST(Resources, MainMenuItemsInOrder)
{
    std::vector<std::wstring> expected = {
        L"40000 再生/一時停止\tCtrl+Z, Space",
        L"40002 停止\tCtrl+X",
        L"> 繰り返し",
        L"  40004 再生リストを1回",
        L"  40005 再生動画を繰り返し",
        L"  40006 再生リストを繰り返し",
        L"  40007 再生動画の指定区間を繰り返し",
        L"  40008 再生動画を1回",
        L"> 音量",
        L"  40035 消音\tF7",
        L"  40036 上げる\tF9",
        L"  40037 下げる\tF8",
        L"-",
        L"40055 ファイルを開く\tCtrl+O",
        L"40056 再生リストを保存\tCtrl+S",
        L"-",
        L"40009 前のファイル\tPageUp",
        L"40010 次のファイル\tPageDown",
        L"-",
        L"40011 全画面表示\tAlt+Enter, F11",
        L"40012 前面表示固定\tCtrl+T",
        L"40013 再生リスト表示\tCtrl+L",
        L"> 再生画面サイズ",
        L"  40024 25%",
        L"  40025 50%",
        L"  40026 100%",
        L"  40027 150%",
        L"  40028 200%",
        L"-",
        L"40029 ---",
        L"> 再生画面アスペクト比",
        L"  40080 通常",
        L"  40081 4  ： 3",
        L"  40082 16 ： 9",
        L"  40083 5 ： 4",
        L"  40084 16 ： 10",
        L"  40085 17 ： 9",
        L"  40086 21 ： 9",
        L"  40087 ---",
        L"  40088 ---",
        L"  40089 ---",
        L"  40090 ---",
        L"> 画質",
        L"  40014 低",
        L"  40015 中",
        L"  40016 高",
        L"> スムーシング",
        L"  40018 しない",
        L"  40019 する",
        L"> ブロックノイズフィルタ",
        L"  40038 自動",
        L"  40039 しない",
        L"  40040 する",
        L"-",
        L"40031 関連付け(flv,mp4,nbl)",
        L"40032 バージョン情報",
        L"40033 終了",
    };
    EXPECT_EQ(DescribeResourceMenu(IDR_MAIN_MENU), expected);
}

TEST(Resources, PlaylistMenuItemsInOrder)
{
    std::vector<std::wstring> expected = {
        L"40050 再生",
        L"-",
        L"40051 1つ上に移動\tCtrl+↑",
        L"40052 1つ下に移動\tCtrl+↓",
        L"-",
        L"40053 再生リストから削除",
        L"40054 再生リストから全削除",
        L"-",
        L"40055 ファイルを開く\tCtrl+O",
        L"40056 再生リストを保存\tCtrl+S",
    };
    EXPECT_EQ(DescribeResourceMenu(IDR_PLAYLIST_MENU), expected);
}

TEST(Resources, AcceleratorTableRowsInOrder)
{
    HACCEL table = LoadAcceleratorsW(Instance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL rows[32];
    int n = CopyAcceleratorTableW(table, rows, 32);
    struct Row {
        BYTE flags;
        WORD key, cmd;
    };
    const BYTE V = FVIRTKEY | FNOINVERT, C = FNOINVERT;
    std::vector<Row> expected = {
        {C, 0x1A, 40000},         {C, 0x18, 40002},          {V, VK_PRIOR, 40009},
        {V, VK_NEXT, 40010},      {V | FALT, VK_RETURN, 40011}, {C, 0x14, 40012},
        {C, 0x0C, 40013},         {V | FCONTROL, VK_UP, 40051}, {V | FCONTROL, VK_DOWN, 40052},
        {C, 0x0F, 40055},         {V, VK_F7, 40035},         {V, VK_ESCAPE, 40060},
        {V, VK_F8, 40037},        {V, VK_F9, 40036},         {C, 0x13, 40056},
        {V, VK_F11, 40011},       {V, VK_F10, 40061},        {C | FALT, '1', 40025},
        {C | FALT, '2', 40026},   {C | FALT, '3', 40028},    {V, VK_F1, 40063},
    };
    ASSERT_EQ(n, (int)expected.size());
    for (int i = 0; i < n; i++) {
        EXPECT_EQ(rows[i].fVirt & 0x7F, expected[i].flags) << "row " << i;
        EXPECT_EQ(rows[i].key, expected[i].key) << "row " << i;
        EXPECT_EQ(rows[i].cmd, expected[i].cmd) << "row " << i;
    }
    DestroyAcceleratorTable(table);
}

std::wstring Text(UINT id)
{
    const wchar_t* p = nullptr;
    int n = LoadStringW(Instance(), id, (LPWSTR)&p, 0);  // the counted string, NULs included
    return n > 0 ? std::wstring(p, n) : L"";
}

TEST(Resources, StringTableTexts)
{
    EXPECT_EQ(Text(40100), L"Nimbrel");
    EXPECT_EQ(Text(40101), L"Nimbrel");
    EXPECT_EQ(Text(40102), L"Nimbrel Version 1.71");
    EXPECT_FALSE(Text(40103).empty());
    EXPECT_EQ(Text(40502), L"Setting");
    EXPECT_EQ(Text(40503), L".ini");
    const wchar_t* keys[] = {L"WindowPosX", L"WindowPosY", L"WindowWidth", L"WindowHeight",
                             L"Repeat", L"WindowTop", L"PlayListShow", L"PlayListWidth",
                             L"Quality", L"Smoothing", L"VolumeMute", L"VolumeLevel",
                             L"Deblocking", L"Maximize"};
    for (int i = 0; i < 14; i++)
        EXPECT_EQ(Text(40504 + i), keys[i]);
    EXPECT_EQ(Text(40518), L"");
    for (int n = 1; n <= 10; n++)
        EXPECT_EQ(Text(40518 + n), L"AspectRatio" + std::to_wstring(n));
    const wchar_t* variables[] = {L"state_stop", L"state_pause", L"state_smoothing",
                                  L"state_quality", L"state_aspect", L"state_volume",
                                  L"state_seek", L"ns.time", L"state_duration", L"state_width",
                                  L"state_height", L"state_file", L"state_playstop",
                                  L"state_deblocking"};
    for (int i = 0; i < 14; i++)
        EXPECT_EQ(Text(40530 + i), variables[i]);
    EXPECT_EQ(Text(40560), L"nbl");
    EXPECT_EQ(Text(40561), L"Play List (*.nbl)\0*.nbl\0"s);
    EXPECT_EQ(Text(40562), L"Play List");
    EXPECT_EQ(Text(40563), L"Flash Video File (*.flv,*.mp4)\0*.flv;*.mp4\0"
                           L"Playlist (*.nbl)\0*.nbl\0すべてのファイル (*.*)\0*.*\0"s);
    EXPECT_EQ(Text(40564), L"Nimbrel.swf");
    EXPECT_EQ(Text(40565), L"SWF");
    EXPECT_EQ(Text(40566), L".flv");
    EXPECT_EQ(Text(40567), L"FLV ファイル");
    EXPECT_EQ(Text(40568), L"nimbrel_flv");
    EXPECT_EQ(Text(40569), L".mp4");
    EXPECT_EQ(Text(40570), L"MP4 ファイル");
    EXPECT_EQ(Text(40571), L"nimbrel_mp4");
    EXPECT_EQ(Text(40572), L".nbl");
    EXPECT_EQ(Text(40573), L"Nimbrel Play List");
    EXPECT_EQ(Text(40574), L"nimbrel_nbl");
    EXPECT_EQ(Text(40575), L"確認");
    EXPECT_EQ(Text(40576), L"関連付けしますか？\n *.flv\n *.mp4\n *.nbl (再生リストファイル)");
    EXPECT_EQ(Text(40577), L"関連付けに失敗しました");
    EXPECT_EQ(Text(40578), L"関連付けしました");
}

TEST(Resources, IconsLoadAtTheirSizes)
{
    for (UINT id = IDI_APP; id <= IDI_PLAYING_MARK; id++) {
        int size = id == IDI_PLAYING_MARK ? 8 : 16;
        HICON icon = (HICON)LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
        ASSERT_NE(icon, nullptr) << id;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm;
        GetObjectW(info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size) << id;
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DestroyIcon(icon);
    }
    for (int size : {32, 48})
        EXPECT_NE(LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0), nullptr);
}

INT_PTR CALLBACK CloseAtOnce(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    wchar_t caption[64];
    GetWindowTextW(dialog, caption, 64);
    RECT r;
    GetWindowRect(GetDlgItem(dialog, IDOK), &r);
    bool complete = wcscmp(caption, L"バージョン情報") == 0 && GetDlgItem(dialog, IDC_ABOUT_ICON) &&
                    GetDlgItem(dialog, IDC_ABOUT_VERSION) && GetDlgItem(dialog, IDC_ABOUT_COPYRIGHT) &&
                    GetDlgItem(dialog, IDC_ABOUT_PLAYER);
    EndDialog(dialog, complete ? 7 : 3);
    return TRUE;
}

TEST(Resources, AboutDialogHasItsControls)
{
    EXPECT_EQ(DialogBoxParamW(Instance(), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, CloseAtOnce, 0), 7);
}

TEST(Resources, VersionIs1710AndDescribesNimbrel)
{
    HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(found, nullptr);
    DWORD size = SizeofResource(Instance(), found);
    std::vector<BYTE> copy(size);
    memcpy(copy.data(), LockResource(LoadResource(Instance(), found)), size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010007u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010007u);
    wchar_t* description = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\041104b0\\FileDescription",
                               (void**)&description, &length));
    EXPECT_STREQ(description, L"Nimbrel");
}

TEST(Resources, ManifestBindsCommonControls6)
{
    HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    std::string text((const char*)LockResource(LoadResource(Instance(), found)),
                     SizeofResource(Instance(), found));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
