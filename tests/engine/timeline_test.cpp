// The timing rules as plain functions: one table per rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/player/timeline.h"

namespace {

using Stamps = std::vector<double>;
Stamps S(double from, double to) {  // frames of 40 ms
  Stamps v;
  for (double t = from; t < to - 1e-9; t += 0.04) v.push_back(t);
  return v;
}
Stamps operator+(Stamps a, const Stamps& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

// Both streams' stamps placed as their threads place them: the one behind goes next; one told to
// wait lets the other place a frame, and decides alone when the other cannot. No clock.
std::array<Stamps, 2> Play(const Stamps& picture, const Stamps& sound) {
  const Stamps* stamps[2] = {&picture, &sound};
  std::array<Stamps, 2> placed;
  StreamTimeline t[2];
  StreamMark mark[2];
  size_t at[2] = {0, 0};
  bool waiting[2] = {false, false};
  for (int i = 0; i < 2; ++i) ResetTimeline(&t[i], 0), mark[i].live = !stamps[i]->empty();
  for (;;) {
    bool left[2] = {at[0] < picture.size(), at[1] < sound.size()};
    if (!left[0] && !left[1]) return placed;
    bool soundBehind = std::isnan(t[1].next) || t[1].next < t[0].next;
    int i = !left[0] || (left[1] && !waiting[1] && (waiting[0] || soundBehind)) ? 1 : 0, o = 1 - i;
    double stamp = (*stamps[i])[at[i]];
    Jump verdict = JudgeStamp(t[i], stamp, mark[o], NAN, !left[o] || waiting[o]);
    if (verdict == Jump::Wait) {
      ProposeJump(&mark[i], t[i], stamp);
      waiting[i] = true;
      continue;
    }
    waiting[i] = waiting[o] = false;
    double from = t[i].next;
    placed[i].push_back(PlaceFrame(&t[i], stamp, 0.04, verdict, mark[o]));
    if (verdict != Jump::None) mark[i].jumpFrom = from, mark[i].jumpTo = stamp, mark[i].jumpOffset = t[i].offset;
    mark[i].at = t[i].next;
    mark[i].live = ++at[i] < stamps[i]->size();
  }
}

}  // namespace

// Stamp sequences of a file's two streams in, presentation times out.
TEST(Timeline, StampsBecomePresentationTimes) {
  const Stamps three = S(0, 3), gap = S(0, 1) + S(2.5, 3), both = S(0, 1) + S(4, 5);
  const Stamps hour = S(0, 1) + S(3601, 3603), back = S(0, 2) + S(0.5, 1.5), none = {NAN, NAN};
  const struct { const char* what; Stamps picture, sound, pictureAt, soundAt; } rows[] = {
      {"continuous", three, three, three, three},
      {"missing stamps continue from the frame before", S(0, 1) + none + S(1.08, 3), three, three, three},
      {"a splice ahead in both: they run on", S(0, 1) + S(100, 102), S(0, 1) + S(100, 102), three, three},
      {"a splice back in both: they run on", S(0, 2) + S(0, 1), S(0, 2) + S(0, 1), three, three},
      {"a gap in the sound: silence, the sound keeps its place", three, gap, three, gap},
      {"a gap in the picture: the still picture stays", gap, three, gap, three},
      {"a gap in the picture without sound", gap, {}, gap, {}},
      {"a gap in both: both keep their places", both, both, both, both},
      {"the picture alone jumps an hour ahead: broken stamps, it runs on", hour, three, three, three},
      {"the sound alone jumps an hour ahead", three, hour, three, three},
      {"the picture alone jumps back", back, three, three, three},
      {"the sound alone jumps back", three, back, three, three},
  };
  auto same = [](const Stamps& a, const Stamps& b) {
    return std::ranges::equal(a, b, [](double x, double y) { return std::fabs(x - y) < 1e-6; });
  };
  for (const auto& row : rows) {
    auto [picture, sound] = Play(row.picture, row.sound);
    EXPECT_TRUE(same(picture, row.pictureAt) && same(sound, row.soundAt)) << row.what;
  }
}

// One stamp judged against what the other stream has shown: it waits only while it must.
TEST(Timeline, AJumpWaitsToHearFromTheOtherStreamWithinItsBound) {
  const StreamMark silent{true, 0.9}, passed{true, 1.6}, jumped{true, 1.0, 1.0, 50, -49}, ended{false, 0.9};
  const struct { double stamp; StreamMark other; double now; bool alone; Jump verdict; } rows[] = {
      {1.5, silent, 0.9, false, Jump::None},  // within kJump of where it should be
      {NAN, silent, 0.9, false, Jump::None},  // no stamp
      {3.0, silent, 0.9, false, Jump::Wait},
      {3.0, passed, 0.9, false, Jump::Gap},   // the other went on past the jump
      {3.0, silent, 1.6, false, Jump::Gap},   // so did the clock
      {3.0, silent, 0.9, true, Jump::Gap},    // no progress for a while
      {3.0, ended, 0.9, false, Jump::Gap},
      {50.2, jumped, 0.9, false, Jump::Follow},
      {20.0, passed, 0.9, false, Jump::Anchor},  // further ahead than a gap
      {-3.0, passed, 0.9, false, Jump::Anchor},
  };
  StreamTimeline t{1.0, 0, 0};
  for (const auto& r : rows) EXPECT_EQ(JudgeStamp(t, r.stamp, r.other, r.now, r.alone), r.verdict) << r.stamp;
}

// Where the clock starts after an open or seek (NaN: the stream has nothing there).
TEST(Timeline, TheClockStartsAtTheTargetOrWhereBothStreamsLandAfterIt) {
  const struct { double target, picture, sound, start; } rows[] = {
      {5, 4.96, 5.0, 5},    // landed before: decoded up to the target
      {5, 6.2, 6.1, 6.1},   // overshot in both: no freeze for the overshoot
      {5, 6.2, 5.0, 5},     // the sound is there at the target
      {5, 8.0, NAN, 8.0},   // picture alone
      {5, NAN, NAN, 5},
      {5, 3.0, NAN, 5},     // the last picture before a tail of sound
  };
  for (const auto& r : rows) EXPECT_EQ(StartAt(r.target, r.picture, r.sound), r.start) << r.picture << " " << r.sound;
}

TEST(Timeline, PictureIsShownWaitedForOrDropped) {
  const struct { double pts, now, shown; bool more, wasBehind; double end; PictureStep step; bool behind; }
      rows[] = {
      {1.0, 0.9, 0.8, false, false, 3, PictureStep::Wait, false},
      {1.0, 1.0, 0.9, false, true, 3, PictureStep::Show, false},
      {1.0, 1.05, 0.9, true, false, 3, PictureStep::Show, false},  // late by less than a frame
      {1.0, 1.2, 0.9, true, false, 3, PictureStep::Drop, false},   // late, the next one queued
      {1.0, 1.2, 0.9, false, false, 3, PictureStep::Show, false},  // late, but the newest there is
      {1.0, 1.6, 1.5, false, false, 3, PictureStep::Drop, true},   // far behind, one shown lately
      {1.0, 1.6, 1.0, false, false, 3, PictureStep::Show, true},   // far behind: one now and then
      {100, 1.0, 0.9, false, false, 3, PictureStep::Drop, false},  // far ahead past the end
      {100, 1.0, 0.9, false, false, 0, PictureStep::Wait, false},  // the end unknown: waited for
  };
  for (const auto& r : rows) {
    PictureTiming t = TimePicture(r.pts, 0.04, r.now, r.shown, r.more, r.wasBehind, r.end);
    EXPECT_TRUE(t.step == r.step && t.behind == r.behind) << r.pts << " at " << r.now;
  }
}

// Every offset over 20 ms is corrected: a small one steadily, a large one at once.
TEST(Timeline, SoundIsWrittenStretchedDroppedOrPrecededBySilence) {
  const struct { double lag; bool fresh; double pts; SoundStepKind kind; double amount; } rows[] = {
      {0.004, true, 1, SoundStepKind::Write, 0},      {0.01, true, 1, SoundStepKind::Silence, 0.01},
      {-0.01, true, 1, SoundStepKind::Drop, 0.01},    {0.015, false, 1, SoundStepKind::Write, 0},
      {0.03, false, 1, SoundStepKind::Stretch, 1.015}, {-0.06, false, 1, SoundStepKind::Stretch, 0.97},
      {0.1, false, 1, SoundStepKind::Stretch, 1.05},  // at most 5 % slower
      {-0.2, false, 1, SoundStepKind::Drop, 0.2},     {1.5, false, 1, SoundStepKind::Silence, 1.5},
      {100, false, 100, SoundStepKind::Discard, 0},   // far ahead past the 3 s end
  };
  for (const auto& r : rows) {
    SoundStep step = TimeSound(r.lag, r.fresh, r.pts, 3);
    EXPECT_TRUE(step.kind == r.kind && std::fabs(step.amount - r.amount) < 1e-9) << r.lag;
  }
}

// The decoder's delay and a start without a key picture are allowed for before giving up.
TEST(Timeline, APictureStreamDecodesNothingAfterItsAllowance) {
  const struct { int fed, fedFromKey, delay; double frameDuration; bool nothing; } rows[] = {
      {10, 10, 0, 0.1, true},   {10, 10, 15, 0.1, false},  // 10 fps: 16 frame threads hold 15 back
      {25, 25, 15, 0.1, true},  {75, -1, 2, 0.04, false},  // 3 s of pictures before the first key one
      {85, 10, 2, 0.04, false}, {252, -1, 2, 0.04, true},  // no key picture in 10 s
      {8, 8, 0, 0.5, true},     {7, 7, 0, 0.5, false},
  };
  for (const auto& r : rows)
    EXPECT_EQ(DecodesNothing(r.fed, r.fedFromKey, r.delay, r.frameDuration), r.nothing) << r.fed << " " << r.delay;
}
