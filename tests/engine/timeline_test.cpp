// The timing rules as plain functions: one table per rule.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/player/timeline.h"

// Stamps of one stream in, presentation times out (NaN: a missing stamp).
TEST(Timeline, StampsBecomePresentationTimes) {
  const struct {
    const char* what;
    std::vector<double> stamps, placed;
  } rows[] = {
      {"steady", {0, 0.04, 0.08}, {0, 0.04, 0.08}},
      {"missing stamps continue from the last frame", {NAN, 5.04, NAN}, {5, 5.04, 5.08}},
      {"a small gap is kept", {0, 0.04, 0.6}, {0, 0.04, 0.6}},
      {"a jump forward anchors", {0, 0.04, 100, 100.04}, {0, 0.04, 0.08, 0.12}},
      {"a jump back anchors", {2, 2.04, 0, 0.04}, {2, 2.04, 2.08, 2.12}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    StreamTimeline t;
    ResetTimeline(&t, 5);
    for (size_t i = 0; i < row.stamps.size(); ++i) EXPECT_NEAR(PlaceFrame(&t, row.stamps[i], 0.04), row.placed[i], 1e-9) << i;
  }
}

TEST(Timeline, PictureIsShownWaitedForOrDropped) {
  const struct {
    double pts, now, lastShown;
    bool moreQueued, wasBehind;
    double fileDuration;
    PictureStep step;
    bool behind;
  } rows[] = {
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
    PictureTiming t = TimePicture(r.pts, 0.04, r.now, r.lastShown, r.moreQueued, r.wasBehind, r.fileDuration);
    EXPECT_EQ(t.step, r.step) << r.pts << " at " << r.now;
    EXPECT_EQ(t.behind, r.behind) << r.pts << " at " << r.now;
  }
}

TEST(Timeline, SoundIsWrittenHeldOrDropped) {
  const struct {
    double lag;
    bool fresh;
    double pts;
    SoundStepKind kind;
  } rows[] = {
      {0.004, true, 1, SoundStepKind::Write},   {0.01, true, 1, SoundStepKind::Hold},
      {-0.01, true, 1, SoundStepKind::Drop},    {0.1, false, 1, SoundStepKind::Write},
      {-0.2, false, 1, SoundStepKind::Drop},    {0.2, false, 1, SoundStepKind::Hold},
      {100, false, 100, SoundStepKind::Discard},  // far ahead past the 3 s end
  };
  for (const auto& r : rows) EXPECT_EQ(TimeSound(r.lag, r.fresh, r.pts, 3).kind, r.kind) << r.lag;
}

TEST(Timeline, APictureStreamDecodesNothingAfterItsAllowance) {
  const struct { int fed; double frameDuration; bool nothing; } rows[] = {
      {7, 0.2, false}, {8, 0.2, true}, {24, 0.04, false}, {25, 0.04, true},
  };
  for (const auto& r : rows) EXPECT_EQ(DecodesNothing(r.fed, r.frameDuration), r.nothing) << r.fed;
}
