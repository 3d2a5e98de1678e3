// The picture output of an open file: takes each decoded picture from the frame queue, converts
// and scales it to the fitted size ahead of its time (the one after it at the same time, on a
// thread of its own), and hands it to the window when the play clock reaches it. It waits on the
// player's news (a picture queued, a command), never in steps.
#include <algorithm>
#include <cmath>

#include "engine/player/picture_convert.h"
#include "engine/player/session.h"

namespace {

// The first picture after an open or seek shows at once when it is due this soon (a paused
// seek shows where it landed).
constexpr double kFirstLead = kJump / 2;

// The size and scaler a picture is converted for, and into what.
struct Target {
  int width = 0, height = 0, flags = 0;
  uint32_t generation = 0;
};

bool Convert(PictureConverter* converter, const AVFrame* f, const Target& t, uint32_t session, Picture* into) {
  return ConvertInto(converter, f, t.width, t.height, t.flags, session, into);
}

// Converts the picture after the next one on a thread of its own while the output thread converts
// or waits for the next one: when converting one takes longer than a frame lasts, two go at once.
class AheadConverter {
 public:
  explicit AheadConverter(uint32_t session) : session_(session), thread_([this] { Run(); }) {}
  ~AheadConverter() {
    {
      std::lock_guard<SlimMutex> lock(m_);
      quit_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  // Starts on f (the caller keeps it until Finish).
  void Start(const AVFrame* f, const Target& t) {
    {
      std::lock_guard<SlimMutex> lock(m_);
      frame_ = f;
      target_ = t;
      done_ = false;
    }
    cv_.notify_all();
  }
  // Waits for the picture started; swaps it into *into. False when it could not be converted.
  bool Finish(Picture* into, Target* made) {
    std::unique_lock<SlimMutex> lock(m_);
    while (frame_ && !done_) cv_.wait_for(lock, std::chrono::milliseconds(1000));
    frame_ = nullptr;
    std::swap(*into, picture_);
    *made = target_;
    return ok_;
  }

 private:
  void Run() {
    std::unique_lock<SlimMutex> lock(m_);
    while (!quit_) {
      if (!frame_ || done_) {
        cv_.wait_for(lock, std::chrono::milliseconds(1000));
        continue;
      }
      const AVFrame* f = frame_;
      Target t = target_;
      lock.unlock();
      bool ok = Convert(&converter_, f, t, session_, &picture_);
      lock.lock();
      ok_ = ok;
      done_ = true;
      cv_.notify_all();
    }
  }
  uint32_t session_;
  PictureConverter converter_;
  Picture picture_;
  SlimMutex m_;
  SlimCondition cv_;
  const AVFrame* frame_ = nullptr;
  Target target_;
  bool done_ = false, ok_ = false, quit_ = false;
  std::thread thread_;
};

}  // namespace

bool ConvertInto(PictureConverter* converter, const AVFrame* f, int width, int height, int flags, uint32_t session,
                 Picture* into) {
  if (width <= 0 || height <= 0) return false;
  into->bits.resize(static_cast<size_t>(width) * height * 4);
  into->width = width;
  into->height = height;
  into->session = session;
  return ConvertPicture(converter, f, width, height, flags, into->bits.data(), width * 4);
}

void VideoOutputThread(Session* s) {
  Player* p = s->player;
  PictureConverter converter;
  AheadConverter helper(s->id);
  Picture back;              // converted ahead: the next picture, or a redraw
  FrameItem next;            // the picture taken from the queue, converted into back when `ready`
  FrameItem after;           // the one behind it, with the helper
  bool ready = false;
  uint32_t shownSerial = 0;  // serial of the picture on screen
  AVFrame* last = nullptr;   // the frame on screen, kept to redraw it at a new size
  uint32_t generation = p->outputGeneration_.load();
  uint32_t endSerial = 0;    // serial whose end marker has been taken
  uint32_t reportedSerial = 0;
  int64_t soundQuietSince = 0;  // waiting for the start: when the sound was last seen moving
  long soundSeen = -1;
  double lastEnd = 0;        // when the last shown frame stops being current
  double lastShown = -1e9;   // clock time of the last picture shown
  int shownWidth = 0, shownHeight = 0;

  auto target = [&] {
    uint32_t size = p->pictureSize_.load();
    return Target{static_cast<int>(size >> 16), static_cast<int>(size & 0xFFFF), p->scalerFlags_.load(), generation};
  };
  auto convert = [&](const AVFrame* f) { return Convert(&converter, f, target(), s->id, &back); };
  // The picture behind the next one becomes the next, converted already unless the size or
  // scaler changed meanwhile.
  auto promote = [&] {
    if (!after.frame) return;
    Target made;
    bool ok = helper.Finish(&back, &made);
    next = after;
    after = FrameItem{};
    ready = ok && made.generation == generation;
  };
  auto discardAfter = [&] {
    if (!after.frame) return;
    Target made;
    helper.Finish(&back, &made);  // the helper lets go of the frame first
    av_frame_free(&after.frame);
  };
  auto endOf = [&](const FrameItem& it) {
    // The end of a picture never runs past the container's end: a broken last duration must
    // not hold the end of the file back.
    return s->duration > 0 ? std::min(it.pts + it.duration, s->duration) : it.pts + it.duration;
  };
  auto show = [&] {
    if (ready) p->Publish(back);
    ready = false;
    av_frame_free(&last);
    last = next.frame;
    next.frame = nullptr;
    lastEnd = endOf(next);
    lastShown = p->clock_.Now();
    p->shownTime_ = next.pts;
    if (last->width != shownWidth || last->height != shownHeight) {  // a new size mid-stream
      if (shownWidth) p->PostSize(s, last);
      shownWidth = last->width;
      shownHeight = last->height;
    }
    promote();
  };
  auto drop = [&] {
    av_frame_free(&next.frame);
    ready = false;
    promote();
  };

  while (!s->abort) {
    uint64_t news = p->News();
    uint32_t serial = p->serial_.load();
    uint32_t g = p->outputGeneration_.load();
    if (g != generation) {  // a new size or scaler: the picture on screen again, the next anew
      generation = g;
      if (last && convert(last)) p->Publish(back);
      ready = false;
    }
    if (next.frame && next.serial != serial) {
      discardAfter();
      drop();
    }
    bool started = p->startedSerial_ == serial;
    if (!next.frame) {
      FrameItem it;
      s->frames.awaited = true;  // before looking: a picture put after the look is news
      if (!s->frames.Peek(&it)) {
        double now = p->clock_.Now();
        if (endSerial == serial && s->videoDone != serial && started && (now >= lastEnd - 0.001 || p->unpaced.load())) {
          s->videoDone = serial;
          p->CheckEnd(s);
          continue;
        }
        bool ending = endSerial == serial && started && s->videoDone != serial && p->clock_.Running();
        p->WaitNews(news, ending ? std::clamp(lastEnd - now, 0.001, kWaitBound) : kWaitBound);
        continue;
      }
      if (it.serial != serial) {
        s->frames.Pop();
        continue;
      }
      if (!started && reportedSerial != serial) {  // where this stream starts after the open or seek
        reportedSerial = serial;
        soundSeen = -1;
        p->ReportStart(s, serial, Stream::Picture, it.frame ? it.pts : NAN, it.target);
        started = p->startedSerial_ == serial;
      }
      if (!it.frame) {  // the end of this serial's frames
        s->frames.Pop();
        endSerial = serial;
        if (!started) lastEnd = it.target;
        continue;
      }
      next = s->frames.Take();
    }
    if (!ready) ready = convert(next.frame);  // ahead of its time
    FrameItem behind;
    if (!after.frame && s->frames.Peek(&behind) && behind.frame && behind.serial == serial) {
      after = s->frames.Take();
      helper.Start(after.frame, target());
    }
    if (!started) {
      // The sound reports too; one that makes no progress for a while is not waited for.
      long sound = s->audioOut.load();
      if (sound != soundSeen) soundSeen = sound, soundQuietSince = QpcNow();
      if (QpcSeconds(QpcNow() - soundQuietSince) > kWaitBound) p->ForceStart(s, serial);
      else p->WaitNews(news, 0.1);
      continue;
    }
    bool first = shownSerial != serial;  // the first picture after an open or seek
    double now = p->clock_.Now();
    PictureTiming t{PictureStep::Show, 0, false};
    if (!p->unpaced.load() && !(first && next.pts <= now + kFirstLead)) {
      t = TimePicture(next.pts, next.duration, now, lastShown, after.frame || s->frames.Size() > 0, s->videoBehind,
                      s->duration);
      s->videoBehind = t.behind;
    }
    if (t.step == PictureStep::Drop) {
      if (next.pts <= now) {  // late, not stamped far ahead
        ++p->framesDropped;
        lastEnd = endOf(next);
      }
      drop();
      continue;
    }
    if (t.step == PictureStep::Wait || (p->paused_ && !first)) {
      p->WaitNews(news, p->paused_ ? kWaitBound : t.wait);
      continue;
    }
    if (!first) {  // how late it goes up (the first one after a start is on no time)
      double late = std::max(0.0, p->clock_.Now() - next.pts);
      p->lateSum_ = p->lateSum_ + late;
      if (late > p->lateMax_) p->lateMax_ = late;
      ++p->lateCount_;
    }
    shownSerial = serial;
    show();
  }
  discardAfter();
  av_frame_free(&next.frame);
  av_frame_free(&last);
}
