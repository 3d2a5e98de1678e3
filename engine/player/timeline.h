// How the stamps of a file's picture and sound become the times they are presented at, and the
// timing rules the picture and sound threads follow. Plain records and functions: no threads, no
// clock reads and no FFmpeg, so that each rule is a table of cases.
#pragma once
#include <cmath>

constexpr double kJump = 1.0;              // stamps this far from where their stream should be: a jump
constexpr double kMaxFrameDuration = 10;   // a longer frame in the file is a broken value
// A picture or sound stamped this far ahead of the clock and past the container's end is a bogus
// jump: it goes rather than holding the end back for ever.
constexpr double kFarAhead = 60;

// One stream's way from stamps to presentation times: a missing stamp continues from the previous
// frame, and a jump of more than kJump from where the stream should be becomes a new anchor
// (spliced files, failed seeks), so that the stream neither waits through it nor races over it.
struct StreamTimeline {
  double next = NAN;   // where the next frame should start; unknown right after a flush
  double start = 0;    // for a first frame without a stamp
  double offset = 0;   // added to the stamps since the last jump
};

void ResetTimeline(StreamTimeline* t, double at);
bool Jumps(const StreamTimeline& t, double stamp);
// The frame's presentation time; anchor false: a jump keeps the current offset (the caller
// settled it).
double PlaceFrame(StreamTimeline* t, double stamp, double duration, bool anchor = true);

// What the picture thread does with the next decoded picture.
enum class PictureStep { Show, Wait, Drop };
struct PictureTiming {
  PictureStep step;
  double wait;   // seconds until due, for Wait
  bool behind;   // far behind: the decoder skips what it can
};
// pts and duration of the picture, now on the play clock, lastShown the clock when the last
// picture went up, moreQueued whether another picture waits behind it, fileDuration 0 when
// unknown.
PictureTiming TimePicture(double pts, double duration, double now, double lastShown, bool moreQueued,
                          bool wasBehind, double fileDuration);

// What the sound thread does with the samples it holds before writing them.
enum class SoundStepKind { Write, Drop, Hold, Discard };
struct SoundStep {
  SoundStepKind kind;
  double seconds;  // Drop: how much of the front goes
};
// lag: how early the samples are (their pts minus when they would be heard); fresh: nothing has
// been written since the start or a seek; pts and fileDuration for the bogus-jump rule.
SoundStep TimeSound(double lag, bool fresh, double pts, double fileDuration);

// Whether a picture stream that has produced nothing after `fed` packets decodes nothing at all.
bool DecodesNothing(int fed, double frameDuration);
