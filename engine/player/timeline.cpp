#include "engine/player/timeline.h"

#include <algorithm>

namespace {

constexpr double kFarBehind = 0.5;  // this late: drop late pictures, skip non-reference ones
constexpr double kResync = 0.12;    // samples further than this from the clock are dropped or held
// The first samples after a start or seek meet the clock this closely: nothing plays yet, so
// dropping or holding costs no gap.
constexpr double kStartBound = 0.005;
constexpr double kGiveUp = 1.0;     // seconds of packets that may produce no picture

}  // namespace

void ResetTimeline(StreamTimeline* t, double at) { *t = StreamTimeline{NAN, at, 0}; }

bool Jumps(const StreamTimeline& t, double stamp) {
  return !std::isnan(stamp) && !std::isnan(t.next) && std::fabs(stamp + t.offset - t.next) > kJump;
}

double PlaceFrame(StreamTimeline* t, double stamp, double duration, bool anchor) {
  double pts;
  if (std::isnan(stamp)) {
    pts = std::isnan(t->next) ? t->start : t->next;
  } else {
    if (anchor && Jumps(*t, stamp)) t->offset = t->next - stamp;
    pts = stamp + t->offset;
  }
  t->next = pts + duration;
  return pts;
}

PictureTiming TimePicture(double pts, double duration, double now, double lastShown, bool moreQueued,
                          bool wasBehind, double fileDuration) {
  double delay = pts - now;
  if (delay > 0.001) {
    // Stamped far ahead and past the container's end (a bogus jump): it would hold the end back
    // for ever. Nearer gaps are waited out, as the stamps say.
    if (delay > kFarAhead && fileDuration > 0 && pts > fileDuration) return {PictureStep::Drop, 0, false};
    return {PictureStep::Wait, delay, false};
  }
  // Far behind: the decoder skips what it can, and late pictures go (one still shows now and then
  // so the picture moves). Late by more than a frame with the next one queued: drop it.
  bool lagging = delay < -kFarBehind;
  bool behind = lagging || (wasBehind && delay < -0.1);
  if ((lagging && now - lastShown < kFarBehind) || (delay < -std::max(0.1, duration) && moreQueued))
    return {PictureStep::Drop, 0, behind};
  return {PictureStep::Show, 0, behind};
}

SoundStep TimeSound(double lag, bool fresh, double pts, double fileDuration) {
  double bound = fresh ? kStartBound : kResync;
  if (lag < -bound) return {SoundStepKind::Drop, -lag};
  if (lag > bound) {
    if (lag > kFarAhead && fileDuration > 0 && pts > fileDuration) return {SoundStepKind::Discard, 0};
    return {SoundStepKind::Hold, 0};
  }
  return {SoundStepKind::Write, 0};
}

bool DecodesNothing(int fed, double frameDuration) { return fed * frameDuration >= kGiveUp && fed >= 8; }
