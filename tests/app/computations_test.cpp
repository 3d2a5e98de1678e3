// Computations that need no window: error texts, aspect values, child layout.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>

#include "app/aspect.h"
#include "app/layout.h"
#include "app/pending_error.h"

static std::wstring Compose(int code, const std::wstring& subject)
{
    wchar_t text[1024];
    ComposeErrorText(code, subject.c_str(), text, 1024);
    return text;
}

TEST(ErrorText, EachCodeHasItsMessage)
{
    EXPECT_EQ(Compose(0, L"a.flv"), L"");
    EXPECT_EQ(Compose(1, L""), L"初期化に失敗しました");
    EXPECT_EQ(Compose(2, L"C:\\v\\a%b.flv"), L"C:\\v\\a%b.flvに特殊文字があるため読み込めません");
    EXPECT_EQ(Compose(3, L"C:\\v\\a.flv"), L"C:\\v\\a.flvが読み込めません");
    EXPECT_EQ(Compose(4, L"x"), L"不明なエラーです");
    EXPECT_EQ(Compose(-1, L"x"), L"不明なエラーです");
}

TEST(ErrorText, OverlongSubjectIsCutAndKeepsTheSuffix)
{
    std::wstring suffix = L"が読み込めません";
    for (size_t length : {1023 - suffix.size(), 1023 - suffix.size() + 1, (size_t)1023, (size_t)5000}) {
        std::wstring subject(length, L'x');
        wchar_t text[1024 + 16];
        wmemset(text, L'#', 1024 + 16);
        ComposeErrorText(3, subject.c_str(), text, 1024);
        std::wstring shown = text;
        ASSERT_LE(shown.size(), 1023u) << length;
        EXPECT_EQ(shown.substr(shown.size() - suffix.size()), suffix) << length;
        EXPECT_EQ(text[1024], L'#') << "wrote past the buffer for a subject of " << length;
    }
}

TEST(ErrorText, PendingRecordKeepsAtMost1023Characters)
{
    std::wstring subject(3000, L'p');
    SetPendingError(3, subject.c_str());
    EXPECT_EQ(PendingError.Code, 3);
    EXPECT_EQ(std::wstring(PendingError.Subject).size(), 1023u);
    SetPendingError(0, L"");
}

TEST(AspectValue, DecodesWidthAndHeight)
{
    auto decode = [](int v) {
        AspectPair p = DecodeAspectValue(v);
        return std::make_pair(p.Width, p.Height);
    };
    EXPECT_EQ(decode(16009), std::make_pair(16, 9));
    EXPECT_EQ(decode(4003), std::make_pair(4, 3));
    EXPECT_EQ(decode(2391), std::make_pair(2, 391));
    EXPECT_EQ(decode(2391000), std::make_pair(391, 0));  // a slot that is not usable
    EXPECT_EQ(decode(0), std::make_pair(0, 0));
    EXPECT_EQ(decode(-16009), std::make_pair(-16, -9));  // truncation toward zero
}

TEST(ChildLayout, PlaylistShownTakesItsWidthAndTheSplitter)
{
    ChildLayout l = ComputeChildLayout(662, 414, 30, true, 145);
    EXPECT_EQ((std::array<int, 4>{l.Video.x, l.Video.y, l.Video.width, l.Video.height}),
              (std::array<int, 4>{0, 0, 512, 384}));
    EXPECT_EQ(l.Playlist.x, 517);
    EXPECT_EQ(l.Playlist.width, 145);
    EXPECT_EQ(l.Playlist.height, 384);
    EXPECT_EQ(l.Splitter.x, 512);
    EXPECT_EQ(l.Splitter.width, 5);
    EXPECT_EQ(l.Bar.y, 384);
    EXPECT_EQ(l.Bar.width, 662);
    EXPECT_EQ(l.Bar.height, 30);
}

TEST(ChildLayout, HiddenPlaylistLeavesFullWidthButKeepsItsPlace)
{
    ChildLayout l = ComputeChildLayout(662, 414, 30, false, 145);
    EXPECT_EQ(l.Video.width, 662);
    EXPECT_EQ(l.Playlist.x, 517);
    EXPECT_EQ(l.Splitter.x, 512);
}

TEST(ChildLayout, ZeroBarHeightGivesTheVideoEverything)
{
    ChildLayout l = ComputeChildLayout(1280, 1024, 0, false, 145);
    EXPECT_EQ(l.Video.width, 1280);
    EXPECT_EQ(l.Video.height, 1024);
    EXPECT_EQ(l.Bar.y, 1024);
    EXPECT_EQ(l.Bar.height, 0);
}
