// The timing rules as plain functions: one table per rule.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/player/timeline.h"

// A frame's place by its verdict; a jump offered to the other stream carries the offset it takes.
TEST(Timeline, FramesArePlacedByTheirVerdict) {
  const StreamMark other{true, 1.0, 1.0, 50, -49};  // jumped from 1 s to a stamp of 50 s
  const struct { StreamTimeline t; double stamp; Jump verdict; double pts, offset; } rows[] = {
      {{1.0, 0, 0}, 1.02, Jump::None, 1.02, 0},
      {{1.0, 0, -99}, 100.0, Jump::None, 1.0, -99},  // after a jump its offset stays
      {{NAN, 2.0, 0}, NAN, Jump::None, 2.0, 0},      // a first frame without a stamp: the start
      {{1.0, 0, 0}, NAN, Jump::None, 1.0, 0},        // a missing stamp continues from the frame before
      {{1.0, 0, 0}, 3.0, Jump::Gap, 3.0, 0},         // a gap keeps its place: silence, a still picture
      {{1.0, 0, 0}, 100.0, Jump::Anchor, 1.0, -99},  // broken stamps: it runs on
      {{1.0, 0, 0}, 50.0, Jump::Follow, 1.0, -49},   // a splice in both: as the other did
  };
  for (const auto& r : rows) {
    StreamTimeline t = r.t;
    StreamMark mark;
    ProposeJump(&mark, t, r.stamp);
    double pts = PlaceFrame(&t, r.stamp, 0.04, r.verdict, other);
    EXPECT_TRUE(pts == r.pts && t.offset == r.offset && t.next == pts + 0.04) << r.stamp << ": " << pts;
    if (r.verdict == Jump::Gap || r.verdict == Jump::Anchor) {
      EXPECT_TRUE(mark.jumpFrom == r.t.next && mark.jumpTo == r.stamp && mark.jumpOffset == r.offset);
    }
  }
}

// One stamp judged against what the other stream has shown: it waits only while it must.
TEST(Timeline, AJumpWaitsToHearFromTheOtherStreamWithinItsBound) {
  const StreamMark silent{true, 0.9}, passed{true, 1.6}, jumped{true, 1.0, 1.0, 50, -49}, ended{false, 0.9};
  const struct { double stamp; StreamMark other; double now; bool alone; Jump verdict; } rows[] = {
      {1.5, silent, 0.9, false, Jump::None},  // within kJump of where it should be
      {NAN, silent, 0.9, false, Jump::None},  {3.0, silent, 0.9, false, Jump::Wait},  // no stamp; waits
      {3.0, passed, 0.9, false, Jump::Gap},   // the other went on past the jump
      {3.0, silent, 1.6, false, Jump::Gap},   // so did the clock
      {3.0, silent, 0.9, true, Jump::Gap},    // no progress for a while
      {3.0, ended, 0.9, false, Jump::Gap},    {50.2, jumped, 0.9, false, Jump::Follow},
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
      {5, 8.0, NAN, 8.0},   {5, NAN, NAN, 5},  // picture alone; nothing
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
