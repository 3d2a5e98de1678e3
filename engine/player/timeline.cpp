#include "engine/player/timeline.h"

#include <algorithm>

namespace {

constexpr double kFarBehind = 0.5;    // this late: drop late pictures, skip non-reference ones
constexpr double kStartBound = 0.005;
constexpr double kSteady = 0.02;
constexpr double kResync = 0.12;
constexpr double kMaxStretch = 0.05;
constexpr double kStretchRate = 0.5;  // the stretch for an offset: half of it per second of sound
constexpr double kGiveUp = 1.0;       // seconds of pictures after the first key one
constexpr double kNoKey = 10.0;       // seconds of pictures before any key one

}  // namespace

void ResetTimeline(StreamTimeline* t, double at) { *t = StreamTimeline{NAN, at, 0}; }

namespace {

// What a stream does with a jump the other does not make.
Jump OwnJump(const StreamTimeline& t, double stamp) {
  double ahead = stamp + t.offset - t.next;
  return ahead > 0 && ahead <= kMaxGap ? Jump::Gap : Jump::Anchor;
}

}  // namespace

Jump JudgeStamp(const StreamTimeline& t, double stamp, const StreamMark& other, double now, bool alone) {
  if (std::isnan(stamp) || std::isnan(t.next)) return Jump::None;
  if (std::fabs(stamp + t.offset - t.next) <= kJump) return Jump::None;
  if (std::fabs(other.jumpTo - stamp) <= kJump && std::fabs(other.jumpFrom - t.next) <= kJump) return Jump::Follow;
  double past = t.next + kJump / 2;
  if (other.live && !alone && !(other.at >= past) && !(now >= past)) return Jump::Wait;
  return OwnJump(t, stamp);
}

void ProposeJump(StreamMark* mine, const StreamTimeline& t, double stamp) {
  mine->jumpFrom = t.next;
  mine->jumpTo = stamp;
  mine->jumpOffset = OwnJump(t, stamp) == Jump::Gap ? t.offset : t.next - stamp;
}

double PlaceFrame(StreamTimeline* t, double stamp, double duration, Jump verdict, const StreamMark& other) {
  double pts;
  if (std::isnan(stamp)) {
    pts = std::isnan(t->next) ? t->start : t->next;
  } else {
    if (verdict == Jump::Follow) t->offset = other.jumpOffset;
    if (verdict == Jump::Anchor) t->offset = t->next - stamp;
    pts = stamp + t->offset;
  }
  t->next = pts + duration;
  return pts;
}

double StartAt(double target, double firstPicture, double firstSound) {
  double first = std::fmin(firstPicture, firstSound);  // the one there is, when one is NaN
  return first > target ? first : target;
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
  if (lag > kFarAhead && fileDuration > 0 && pts > fileDuration) return {SoundStepKind::Discard, 0};
  double bound = fresh ? kStartBound : kResync;
  if (lag < -bound) return {SoundStepKind::Drop, -lag};
  if (lag > bound) return {SoundStepKind::Silence, lag};
  if (std::fabs(lag) > kSteady && !fresh)
    return {SoundStepKind::Stretch, 1 + std::clamp(lag * kStretchRate, -kMaxStretch, kMaxStretch)};
  return {SoundStepKind::Write, 0};
}

bool DecodesNothing(int fed, int fedFromKey, int delay, double frameDuration) {
  auto beyond = [&](int packets, double seconds) {
    return packets >= delay + std::max(8, static_cast<int>(std::ceil(seconds / frameDuration)));
  };
  return fedFromKey >= 0 ? beyond(fedFromKey, kGiveUp) : beyond(fed, kNoKey);
}
