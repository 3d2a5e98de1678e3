// The engine through its operations, playing real clips: what the host reads back.
#include <sstream>

#include "engine_test_support.h"

// Each write, then what reads back (first the movie's own values, 4:3 fitted in 800 x 450).
TEST(Engine, VariablesReadBackAsTheHostWritesThem) {
  Stage s;
  ASSERT_NE(s.engine, nullptr);
  const struct { const wchar_t *write, *value, *reads; } rows[] = {
      {nullptr, nullptr, L"state_width=160 state_asp=0.75 state_file= no_such_variable= ns.time=0 _quality=LOW "
                         L"imovie.smoothing=false imovie.deblocking=1 imovie._width=600 imovie._x=100"},
      {L"state_aspect", L"16009", L"state_asp=0.5625 imovie._width=800 imovie._height=450"},
      {L"state_aspect", L"20009", L"imovie._width=800 imovie._height=360 imovie._y=45"},
      {L"state_aspect", L"4003", L"state_asp_width=4 state_asp_height=3"},
      {L"state_aspect", L"0", L"state_asp_width=160 state_asp=0.75"},  // the video's own size: none yet
      {L"state_deblocking", L"2", L"imovie.deblocking=5"},
      {L"state_deblocking", L"0", L"imovie.deblocking=0"},
      {L"state_quality", L"2", L"_quality=HIGH"}, {L"state_quality", L"7", L"_quality=HIGH state_quality=7"},
      {L"state_smoothing", L"1", L"imovie.smoothing=true"},
  };
  for (const auto& row : rows) {
    if (row.write) s.Set(row.write, row.value);
    std::wistringstream reads(row.reads);
    for (std::wstring read; reads >> read;) {
      std::wstring name = read.substr(0, read.find(L'='));
      EXPECT_EQ(name + L"=" + s.Get(name.c_str()), read);
    }
  }
  MoveWindow(s.Window(), 0, 0, 400, 400, TRUE);  // a resize refits
  Pump(0.02);
  EXPECT_EQ(s.Get(L"imovie._width") + L" " + s.Get(L"imovie._height") + L" " + s.Get(L"imovie._y"), L"400 300 50");
  // A missing movie does not load; an engine with nothing loaded does not start.
  EXPECT_FALSE(SUCCEEDED(put_Movie(s.engine, Clip(L"no-such-movie.swf").c_str())));
  MediaEngine* fresh = CreateMediaEngine(s.parent);
  EXPECT_FALSE(SUCCEEDED(Play(fresh)));
  Release(fresh);
}

// A file that cannot open ends at once; seeks land on the second, pause holds, the end is left
// by a seek, the same file written again restarts.
TEST(Engine, SeekPauseRestartAndTheEnd) {
  Stage s;
  s.PlayFile(L"no-such-file.mp4");
  EXPECT_TRUE(s.WaitForEnd(2));
  for (const wchar_t* name : {L"state_seek", L"state_pause"}) s.Set(name, L"1");
  s.Set(L"state_pause", L"0");
  Pump(0.3);
  EXPECT_EQ(s.Get(L"state_playstop") + L" " + s.Get(L"state_width"), L"1 160");
  std::wstring clip = WriteClip(L"\u52d5\u753b.mp4", ReadClip(L"long.mp4"));  // a path in Japanese
  s.Set(L"state_file", clip);
  s.Set(L"state_seek", L"8");
  ASSERT_TRUE(s.WaitForTime(8.1));
  EXPECT_LT(s.Number(L"ns.time"), 9.5);
  s.Set(L"state_file", clip);
  EXPECT_LT(s.Number(L"ns.time"), 0.5);
  ASSERT_TRUE(s.WaitForTime(0.1));
  s.Set(L"state_seek", L"5");
  EXPECT_EQ(MovieTextToInt(s.Get(L"ns.time").c_str()), 5);
  ASSERT_TRUE(s.WaitForTime(5.2));
  s.Set(L"state_pause", L"1");
  double held = s.Number(L"ns.time");
  Pump(0.5);
  EXPECT_EQ(s.Number(L"ns.time"), held);
  s.Set(L"state_seek", L"3");
  EXPECT_TRUE(WaitFor([&] { return s.Counters().shownTime >= 3 && s.Counters().shownTime < 3.5; }));
  s.Set(L"state_pause", L"0");
  EXPECT_TRUE(s.WaitForTime(3.2));
  s.Set(L"state_seek", L"-3");
  EXPECT_EQ(s.Get(L"ns.time"), L"0");
  s.Set(L"state_seek", L"12");
  ASSERT_TRUE(s.WaitForEnd());
  s.Set(L"state_seek", L"1");
  ASSERT_TRUE(WaitFor([&] { return s.Get(L"state_playstop") == L"0"; }));
  EXPECT_TRUE(s.WaitForTime(1.3));
  s.Set(L"state_seek", L"99");  // past the end: ends again
  EXPECT_TRUE(s.WaitForEnd());
  s.Set(L"state_stop", L"1");
  s.Set(L"state_stop", L"1");  // twice in a row: no harm
  EXPECT_EQ(s.Get(L"ns.time"), L"0");
}

// Commands never wait on a file or decoder; Release joins and keeps the host's quit message.
TEST(Engine, RapidCommandsNeverDeadlockAndReleaseJoins) {
  Stage s;
  std::wstring clips[] = {Clip(L"long.mp4"), Clip(L"h264_aac.flv")};
  ULONGLONG start = GetTickCount64();
  for (int i = 0; i < 200; ++i) {
    s.Set(L"state_file", clips[i % 2]);
    s.Set(L"state_stop", L"1");
    s.Set(L"state_file", clips[1 - i % 2]);
    s.Set(L"state_seek", std::to_wstring(i % 7));
    s.Set(L"state_pause", i % 3 ? L"1" : L"0");
    if (i % 20 == 0) Pump(0.01);
  }
  EXPECT_LT(GetTickCount64() - start, 30000u);
  s.Set(L"state_pause", L"0");
  s.Set(L"state_seek", L"2");
  EXPECT_TRUE(s.WaitForTime(2.2));
  s.Set(L"state_seek", L"3");  // news on its way to the window while it goes
  PostQuitMessage(7);
  ULONGLONG before = GetTickCount64();
  Release(s.engine);
  s.engine = nullptr;
  EXPECT_LT(GetTickCount64() - before, 10000u);
  MSG m{};
  EXPECT_EQ(GetWindow(s.parent, GW_CHILD), nullptr);
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && m.wParam == 7);
}
