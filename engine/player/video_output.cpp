// The video side of an open file: decoding into a short frame queue, and the output thread
// that times each frame against the play clock, scales it to the fitted size and hands it to
// the window.
#include <algorithm>
#include <cmath>

#include "engine/player/picture_convert.h"
#include "engine/player/session.h"

void VideoDecodeThread(Session* s) {
  Player* p = s->player;
  AVCodecContext* c = s->video;
  AVRational tb = s->format->streams[s->videoIndex]->time_base;
  AVFrame* frame = av_frame_alloc();
  FrameItem held{};  // the last frame before the target, shown if the file ends first
  StreamTimeline timeline;
  uint32_t serial = 0;
  double target = 0;
  int skip = c->skip_loop_filter;
  bool produced = false;  // any picture at all from this file
  int fed = 0;            // packets sent while none came out

  // A picture whose timestamps jump while there is sound waits for the sound to tell a splice
  // (it jumps there too: take its offset) from a gap in the picture (it runs on past the picture's
  // time: keep the offset). True when the picture must anchor itself (the sound never followed a
  // jump back).
  auto followSound = [&](double raw, bool forward) {
    for (int waited = 0; !s->abort && p->serial_ == serial; waited += 5) {
      double jump = s->soundJumpAt.load();
      if (!std::isnan(jump) && std::fabs(jump - raw) < 1.0) {
        timeline.offset = s->soundOffset.load();
        return false;
      }
      if (forward && s->soundAt.load() >= raw) return false;
      // Nothing left to follow once the sound has ended: anchor at once, not after a wait per jump.
      if (!forward && (waited >= 2000 || std::isinf(s->soundAt.load()))) return true;
      Sleep(5);
    }
    return true;
  };
  auto put = [&](FrameItem item) {
    if (!s->frames.Put(item, s->abort, p->serial_)) av_frame_free(&item.frame);
  };
  // Hands decoded frames on; false when the decoder has nothing more for now.
  auto receive = [&](bool draining) {
    int errors = 0;
    for (;;) {
      int r = avcodec_receive_frame(c, frame);
      // A broken frame is reported once; go on with the next, and never let errors block the end.
      if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
        if (++errors < 64) continue;
        if (!draining) return;
        r = AVERROR_EOF;
      }
      if (r == AVERROR_EOF) {
        if (held.frame) put(held);
        held.frame = nullptr;
        put(FrameItem{nullptr, 0, 0, target, serial});
        avcodec_flush_buffers(c);
        return;
      }
      if (r < 0) return;
      produced = true;
      if (int ms = p->decodeDelayMs_.load()) Sleep(ms);  // tests: a decoder too slow for the clip
      double duration = frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(tb) : s->frameDuration;
      duration = std::clamp(duration, 0.0, kMaxFrameDuration);
      double raw = s->Seconds(frame->best_effort_timestamp, tb);
      bool anchor = true;
      if (Jumps(timeline, raw) && s->audioIndex >= 0 && p->startedSerial_ == serial)
        anchor = followSound(raw, raw + timeline.offset > timeline.next);
      double pts = PlaceFrame(&timeline, raw, duration, anchor);
      AVFrame* copy = av_frame_clone(frame);
      av_frame_unref(frame);
      if (!copy) continue;
      FrameItem item{copy, pts, duration, target, serial};
      av_frame_free(&held.frame);
      if (pts + duration <= target + 1e-6 && target > 0) {  // before the seek target: decode, drop
        held = item;
        continue;
      }
      put(item);
    }
  };

  while (!s->abort) {
    PacketItem item;
    if (!s->videoPackets.Get(&item, s->abort, 10)) continue;
    if (item.kind == PacketItem::Flush) {
      avcodec_flush_buffers(c);
      av_frame_free(&held.frame);
      serial = item.serial;
      target = item.target;
      ResetTimeline(&timeline, target);
      continue;
    }
    if (s->videoGivenUp && item.kind == PacketItem::Packet) {  // only the end marker matters now
      av_packet_free(&item.packet);
      continue;
    }
    int wanted = p->skipLoopFilter_.load();
    if (wanted != skip) c->skip_loop_filter = static_cast<AVDiscard>(skip = wanted);
    c->skip_frame = s->videoBehind ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    AVPacket* packet = item.kind == PacketItem::End ? nullptr : item.packet;
    int r = avcodec_send_packet(c, packet);
    if (r == AVERROR(EAGAIN)) {
      receive(false);
      r = avcodec_send_packet(c, packet);
    }
    receive(packet == nullptr);
    av_packet_free(&item.packet);
    // A stream that decodes nothing (a codec that rejects every packet, a picture over the size
    // limit, missing parameter sets) must not hold the clock: the sound plays alone.
    if (!produced && packet && DecodesNothing(++fed, s->frameDuration)) s->videoGivenUp = true;
  }
  av_frame_free(&held.frame);
  av_frame_free(&frame);
}

void VideoOutputThread(Session* s) {
  Player* p = s->player;
  PictureConverter converter;
  Picture back;
  AVFrame* last = nullptr;  // the frame on screen, kept to redraw it at a new size
  uint32_t generation = p->outputGeneration_.load();
  uint32_t endSerial = 0;    // serial whose end marker has been taken
  double lastEnd = 0;        // when the last shown frame stops being current
  double lastShown = -1e9;   // clock time of the last picture shown
  int shownWidth = 0, shownHeight = 0;

  auto show = [&](const AVFrame* f) {
    uint32_t size = p->pictureSize_.load();
    int w = static_cast<int>(size >> 16), h = static_cast<int>(size & 0xFFFF);
    if (w <= 0 || h <= 0) return;
    back.bits.resize(static_cast<size_t>(w) * h * 4);
    back.width = w;
    back.height = h;
    if (ConvertPicture(&converter, f, w, h, p->scalerFlags_.load(), back.bits.data(), w * 4)) {
      back.session = s->id;
      p->Publish(back);
    }
  };
  auto keep = [&](const FrameItem& it) {
    av_frame_free(&last);
    last = av_frame_clone(it.frame);
    // The end of a picture never runs past the container's end: a broken last duration must
    // not hold the end of the file back.
    lastEnd = it.pts + it.duration;
    if (s->duration > 0) lastEnd = std::min(lastEnd, s->duration);
    lastShown = p->clock_.Now();
    p->shownTime_ = it.pts;
    if (it.frame->width != shownWidth || it.frame->height != shownHeight) {  // a new size mid-stream
      if (shownWidth) p->PostSize(s, it.frame);
      shownWidth = it.frame->width;
      shownHeight = it.frame->height;
    }
  };

  while (!s->abort) {
    uint32_t g = p->outputGeneration_.load();
    if (g != generation) {
      generation = g;
      if (last) show(last);
    }
    FrameItem it;
    bool have = s->frames.Peek(&it, 5, s->abort);
    uint32_t serial = p->serial_.load();  // after the wait: a frame of a newer seek is not stale
    if (!have) {
      if (endSerial == serial && s->videoDone != serial && p->startedSerial_ == serial &&
          (p->clock_.Now() >= lastEnd - 0.001 || p->unpaced)) {
        s->videoDone = serial;
        p->CheckEnd(s);
      }
      continue;
    }
    if (it.serial != serial) {
      s->frames.Pop();
      continue;
    }
    if (!it.frame) {  // the end of this serial's frames
      s->frames.Pop();
      endSerial = serial;
      if (p->startedSerial_ != serial) {
        p->StartClock(serial, it.target);
        lastEnd = it.target;
      }
      continue;
    }
    if (p->startedSerial_ != serial) {  // the first picture after an open or seek: show at once
      show(it.frame);
      keep(it);
      s->frames.Pop();
      // At the target even when the picture is older (a seek into a tail without pictures).
      p->StartClock(serial, it.target);
      continue;
    }
    if (p->paused_) {
      Sleep(5);
      continue;
    }
    if (!p->unpaced) {
      double now = p->clock_.Now();
      PictureTiming t = TimePicture(it.pts, it.duration, now, lastShown, s->frames.Size() > 1,
                                    s->videoBehind, s->duration);
      s->videoBehind = t.behind;
      if (t.step == PictureStep::Wait) {
        Sleep(static_cast<DWORD>(std::clamp(t.wait * 1000.0 - 1.0, 1.0, 5.0)));
        continue;
      }
      if (t.step == PictureStep::Drop) {
        if (it.pts <= now) {  // late, not stamped far ahead
          ++p->framesDropped;
          lastEnd = it.pts + it.duration;
          if (s->duration > 0) lastEnd = std::min(lastEnd, s->duration);
        }
        s->frames.Pop();
        continue;
      }
    }
    show(it.frame);
    keep(it);
    s->frames.Pop();
  }
  av_frame_free(&last);
}
