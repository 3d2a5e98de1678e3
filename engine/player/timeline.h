// How the stamps of a file's picture and sound become the times they are presented at, and the
// timing rules the picture and sound threads follow. Plain records and functions: no threads, no
// clock reads and no FFmpeg, so that each rule is a table of cases.
#pragma once
#include <cmath>

constexpr double kJump = 1.0;              // stamps this far from where their stream should be: a jump
constexpr double kMaxGap = 10.0;           // a longer jump ahead is broken stamps, not a gap to sit out
constexpr double kMaxFrameDuration = 10;   // a longer frame in the file is a broken value
// A picture or sound stamped this far ahead of the clock and past the container's end is a bogus
// jump: it goes rather than holding the end back for ever.
constexpr double kFarAhead = 60;
constexpr double kWaitBound = 1.0;         // a wait gives up after this long without progress

// One stream's way from stamps to presentation times.
struct StreamTimeline {
  double next = NAN;   // where the next frame should start; unknown right after a flush
  double start = 0;    // for a first frame without a stamp
  double offset = 0;   // added to the stamps since the last jump
};

// What a stream shows the other of itself, for telling a splice from its own jump or gap.
struct StreamMark {
  bool live = false;      // it exists and still decodes (not ended, not given up)
  double at = NAN;        // presentation time it has decoded up to
  double jumpFrom = NAN;  // its latest jump: where it left (presentation time),
  double jumpTo = NAN;    // the stamp it landed on,
  double jumpOffset = 0;  // and the offset it took (proposed, while it waits to hear of this one)
};

// A stamp that lies more than kJump from where its stream should be is judged against the other
// stream. Gap: a jump ahead of up to kMaxGap: the still picture stays up or silence plays, and
// nothing moves ahead. Anchor: a jump back, or one further ahead: the stamps are broken (a
// splice), the stream continues from where it was. Follow: the other jumped from and to the same
// places: do as it did, so that both keep together. Wait: the other has not shown yet whether it
// jumps too, and neither the clock nor the other has gone half a jump past this point.
enum class Jump { None, Wait, Follow, Gap, Anchor };

void ResetTimeline(StreamTimeline* t, double at);
// now: the play clock; alone: the wait for the other stream has run out (it made no progress).
Jump JudgeStamp(const StreamTimeline& t, double stamp, const StreamMark& other, double now, bool alone);
// Offers the other stream this jump while it waits to hear of it.
void ProposeJump(StreamMark* mine, const StreamTimeline& t, double stamp);
// The frame's presentation time by the verdict (a missing stamp continues from the last frame).
double PlaceFrame(StreamTimeline* t, double stamp, double duration, Jump verdict, const StreamMark& other);

// Where the clock starts after an open or seek: at the target, or where the streams' first
// frames land if both lie after it (a seek that overshot, a gap at the target), so that nothing
// freezes for the overshoot. NaN: that stream has nothing.
double StartAt(double target, double firstPicture, double firstSound);

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

// What the sound thread does with the samples it holds before writing them. lag: how early they
// are (their pts minus when they would be heard). Fresh (nothing written since the start or a
// seek) they meet the clock to kStartBound. Later an offset over kSteady is corrected steadily by
// stretching or squeezing the samples (at most kMaxStretch); one over kResync (a stall, a gap)
// at once, by dropping or by silence.
enum class SoundStepKind { Write, Drop, Silence, Stretch, Discard };
struct SoundStep {
  SoundStepKind kind;
  double amount;  // Drop, Silence: seconds; Stretch: the ratio of samples out to samples in
};
SoundStep TimeSound(double lag, bool fresh, double pts, double fileDuration);

// Whether a picture stream that has produced no picture decodes nothing at all. fed: packets sent
// to the decoder; fedFromKey: those since the first key packet (-1: none yet); delay: pictures
// the decoder holds back (frame threads, reordering). A stream that begins without a key picture
// is given longer.
bool DecodesNothing(int fed, int fedFromKey, int delay, double frameDuration);
