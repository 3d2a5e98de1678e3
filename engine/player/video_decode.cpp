// The picture decoder of an open file: packets in, pictures placed on the file's time line out,
// into the short frame queue the output thread shows from.
#include <algorithm>
#include <cmath>

#include "engine/player/session.h"

void VideoDecodeThread(Session* s) {
  Player* p = s->player;
  AVCodecContext* c = s->video;
  AVRational tb = s->format->streams[s->videoIndex]->time_base;
  AVFrame* frame = av_frame_alloc();
  FrameItem held{};  // the last frame before the target, shown if the file ends first
  StreamTimeline timeline;
  StreamMark mine;
  uint32_t serial = 0;
  double target = 0;
  int skip = c->skip_loop_filter;
  bool produced = false;  // any picture at all from this file
  int fed = 0, fedFromKey = -1;  // packets sent while none came out, and since the first key one
  // Pictures the decoder holds back before the first comes out: one per frame thread beyond the
  // first (reordering adds has_b_frames, read as it grows).
  int threadDelay = (c->active_thread_type & FF_THREAD_FRAME) ? std::max(0, c->thread_count - 1) : 0;

  auto put = [&](FrameItem item) {
    if (!s->frames.Put(item, s->abort, p->serial_)) av_frame_free(&item.frame);
  };
  auto mark = [&] { s->SetMark(Stream::Picture, serial, mine); };
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
      ++s->videoOut;
      if (s->videoGivenUp.exchange(false)) mine.live = true;  // late, but there is a picture after all
      double duration = frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(tb) : s->frameDuration;
      duration = std::clamp(duration, 0.0, kMaxFrameDuration);
      double raw = s->Seconds(frame->best_effort_timestamp, tb);
      double pts = s->Place(Stream::Picture, serial, &timeline, raw, duration, &mine);
      mark();
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
    if (!s->videoPackets.Get(&item, s->abort, 1000)) continue;
    if (item.kind == PacketItem::Flush) {
      avcodec_flush_buffers(c);
      av_frame_free(&held.frame);
      serial = item.serial;
      target = item.target;
      ResetTimeline(&timeline, target);
      mine = StreamMark{};
      mine.live = !s->videoGivenUp;
      mark();
      continue;
    }
    int wanted = p->skipLoopFilter_.load();
    if (wanted != skip) c->skip_loop_filter = static_cast<AVDiscard>(skip = wanted);
    c->skip_frame = s->videoBehind ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    AVPacket* packet = item.kind == PacketItem::End ? nullptr : item.packet;
    if (packet) {
      ++fed;
      ++s->videoFed;
      if (fedFromKey < 0 && (packet->flags & AV_PKT_FLAG_KEY)) fedFromKey = 0;
      if (fedFromKey >= 0) ++fedFromKey;
    }
    int r = avcodec_send_packet(c, packet);
    if (r == AVERROR(EAGAIN)) {
      receive(false);
      r = avcodec_send_packet(c, packet);
    }
    receive(packet == nullptr);
    av_packet_free(&item.packet);
    // A stream that decodes nothing (a codec that rejects every packet, a picture over the size
    // limit, missing parameter sets) must not hold the clock: the sound plays alone, until a
    // picture comes after all.
    if (!produced && packet && !s->videoGivenUp &&
        DecodesNothing(fed, fedFromKey, threadDelay + c->has_b_frames, s->frameDuration)) {
      s->videoGivenUp = true;
      ++p->pictureGiveUps;
      mine.live = false;
      mark();
      p->CheckStart(s);
    }
  }
  av_frame_free(&held.frame);
  av_frame_free(&frame);
}
