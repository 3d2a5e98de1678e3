// The video side of an open file: decoding into a short frame queue, and the output thread
// that times each frame against the play clock, scales it to the fitted size and hands it to
// the window.
#include <cmath>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "engine/player/session.h"

void VideoDecodeThread(Session* s) {
  Player* p = s->player;
  AVCodecContext* c = s->video;
  AVRational tb = s->format->streams[s->videoIndex]->time_base;
  AVFrame* frame = av_frame_alloc();
  AVFrame* held = nullptr;  // the last frame before the target, shown if the file ends first
  uint32_t serial = 0;
  double target = 0;
  int skip = c->skip_loop_filter;

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
        if (held) {
          double pts = s->Seconds(held->best_effort_timestamp, tb);
          s->frames.Put(FrameItem{held, std::isnan(pts) ? target : pts, s->frameDuration, target, serial},
                        s->abort, p->serial_);
          held = nullptr;
        }
        s->frames.Put(FrameItem{nullptr, 0, 0, target, serial}, s->abort, p->serial_);
        avcodec_flush_buffers(c);
        return;
      }
      if (r < 0) return;
      double pts = s->Seconds(frame->best_effort_timestamp, tb);
      double duration = frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(tb) : s->frameDuration;
      if (std::isnan(pts)) pts = target;
      AVFrame* copy = av_frame_clone(frame);
      av_frame_unref(frame);
      if (!copy) continue;
      if (pts + duration <= target + 1e-6 && target > 0) {  // before the seek target: decode, drop
        av_frame_free(&held);
        held = copy;
        continue;
      }
      av_frame_free(&held);
      if (!s->frames.Put(FrameItem{copy, pts, duration, target, serial}, s->abort, p->serial_))
        av_frame_free(&copy);
    }
  };

  while (!s->abort) {
    PacketItem item;
    if (!s->videoPackets.Get(&item, s->abort, 10)) continue;
    if (item.kind == PacketItem::Flush) {
      avcodec_flush_buffers(c);
      av_frame_free(&held);
      serial = item.serial;
      target = item.target;
      continue;
    }
    int wanted = p->skipLoopFilter_.load();
    if (wanted != skip) c->skip_loop_filter = static_cast<AVDiscard>(skip = wanted);
    AVPacket* packet = item.kind == PacketItem::End ? nullptr : item.packet;
    int r = avcodec_send_packet(c, packet);
    if (r == AVERROR(EAGAIN)) {
      receive(false);
      r = avcodec_send_packet(c, packet);
    }
    receive(packet == nullptr);
    av_packet_free(&item.packet);
  }
  av_frame_free(&held);
  av_frame_free(&frame);
}

namespace {

struct Scaler {
  SwsContext* context = nullptr;
  int srcW = 0, srcH = 0, srcFormat = -1, dstW = 0, dstH = 0, flags = -1;
  ~Scaler() { sws_freeContext(context); }

  // Converts frame to top-down BGRA of width x height into picture.
  bool Convert(const AVFrame* f, int width, int height, int swsFlags, Picture* picture) {
    if (width <= 0 || height <= 0 || f->width <= 0 || f->height <= 0) return false;
    if (!context || srcW != f->width || srcH != f->height || srcFormat != f->format ||
        dstW != width || dstH != height || flags != swsFlags) {
      sws_freeContext(context);
      context = sws_alloc_context();
      if (!context) return false;
      av_opt_set_int(context, "srcw", f->width, 0);
      av_opt_set_int(context, "srch", f->height, 0);
      av_opt_set_int(context, "src_format", f->format, 0);
      av_opt_set_int(context, "dstw", width, 0);
      av_opt_set_int(context, "dsth", height, 0);
      av_opt_set_int(context, "dst_format", AV_PIX_FMT_BGRA, 0);
      av_opt_set_int(context, "sws_flags", swsFlags, 0);
      av_opt_set_int(context, "threads", 1, 0);
      if (sws_init_context(context, nullptr, nullptr) < 0) {
        sws_freeContext(context);
        context = nullptr;
        return false;
      }
      srcW = f->width; srcH = f->height; srcFormat = f->format;
      dstW = width; dstH = height; flags = swsFlags;
    }
    picture->bits.resize(static_cast<size_t>(width) * height * 4);
    picture->width = width;
    picture->height = height;
    uint8_t* dst[4] = {picture->bits.data(), nullptr, nullptr, nullptr};
    int stride[4] = {width * 4, 0, 0, 0};
    return sws_scale(context, f->data, f->linesize, 0, f->height, dst, stride) > 0;
  }
};

}  // namespace

void VideoOutputThread(Session* s) {
  Player* p = s->player;
  Scaler scaler;
  Picture back;
  AVFrame* last = nullptr;  // the frame on screen, kept to redraw it at a new size
  uint32_t generation = p->outputGeneration_.load();
  uint32_t endSerial = 0;    // serial whose end marker has been taken
  double lastEnd = 0;        // when the last shown frame stops being current

  auto show = [&](const AVFrame* f) {
    uint32_t size = p->pictureSize_.load();
    int w = static_cast<int>(size >> 16), h = static_cast<int>(size & 0xFFFF);
    if (scaler.Convert(f, w, h, p->scalerFlags_.load(), &back)) {
      back.session = s->id;
      p->Publish(back);
    }
  };
  auto keep = [&](const FrameItem& it) {
    av_frame_free(&last);
    last = av_frame_clone(it.frame);
    lastEnd = it.pts + it.duration;
  };

  while (!s->abort) {
    uint32_t serial = p->serial_.load();
    uint32_t g = p->outputGeneration_.load();
    if (g != generation) {
      generation = g;
      if (last) show(last);
    }
    FrameItem it;
    if (!s->frames.Peek(&it, 5, s->abort)) {
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
      p->StartClock(serial, std::min(it.pts, it.target));
      continue;
    }
    if (p->paused_) {
      Sleep(5);
      continue;
    }
    if (!p->unpaced) {
      double delay = it.pts - p->clock_.Now();
      if (delay > 0.001) {
        Sleep(static_cast<DWORD>(std::clamp(delay * 1000.0 - 1.0, 1.0, 5.0)));
        continue;
      }
      // Late by more than a frame and the next one is already due too: drop this one.
      if (delay < -std::max(0.1, it.duration) && s->frames.Size() > 1) {
        ++p->framesDropped;
        lastEnd = it.pts + it.duration;
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
