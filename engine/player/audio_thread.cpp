// The audio side of an open file: decoding, resampling to the device's format, volume, and
// feeding the device in step with the play clock. The device's own clock steers the play
// clock while the two agree; when they do not (a device that starts slow, or no device at
// all) the system clock rules and the samples are dropped or held to follow it.
#include <cmath>
#include <vector>

#include "engine/player/audio_output.h"
#include "engine/player/session.h"
#include "engine/player/sound_convert.h"

namespace {

constexpr double kAgree = 0.05;   // audio and system clocks within this: audio steers
constexpr double kRetryLost = 1.0; // seconds between attempts to open a lost device again

struct Chunk {
  std::vector<float> samples;  // interleaved at the device's format
  size_t offset = 0;           // frames already used
  double pts = 0;              // of the frame at offset
};

}  // namespace

void AudioThread(Session* s) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Player* p = s->player;
  // A new file opens the device again when the last one was lost or another one is wanted.
  int wanted = static_cast<int>(p->audioDevice_.load());
  if (!p->audio_ || p->audio_->lost || p->audioRetryAt_ || p->audioOpenedFor_ != wanted) {
    p->audio_.reset();
    p->audio_ = OpenAudioOutput(p->audioDevice_);
    p->audioRetryAt_ = 0;
    p->audioOpenedFor_ = wanted;
    p->openedDevice_ = static_cast<int>(p->audio_->kind);
    ++p->audioOpens;
  }
  AudioOutput* out = p->audio_.get();
  AVCodecContext* c = s->audio;
  AVRational tb = s->format->streams[s->audioIndex]->time_base;
  SoundConverter converter;
  SetSoundOutput(&converter, out->rate, out->channels);
  AVFrame* frame = av_frame_alloc();
  Chunk chunk;
  bool haveChunk = false, ended = false, paused = false, fresh = true;
  uint32_t serial = 0;
  double target = 0, endPts = 0;
  StreamTimeline timeline;
  std::vector<float> scaled;
  // Every file, seek and stop leaves the device empty and running, paused or ended before.
  auto flush = [&] {
    out->Flush();
    paused = false;
    fresh = true;
  };
  // Moves to another device (a lost one's stand-in, or the lost one back): the samples and the
  // resampler follow its format.
  auto use = [&](std::unique_ptr<AudioOutput> next) {
    p->audio_ = std::move(next);
    out = p->audio_.get();
    p->openedDevice_ = static_cast<int>(out->kind);
    ++p->audioOpens;
    SetSoundOutput(&converter, out->rate, out->channels);
    haveChunk = false;
    flush();
  };
  flush();

  // Decodes until one chunk of samples is ready (true) or nothing is available now.
  auto decode = [&]() -> bool {
    for (;;) {
      int r = avcodec_receive_frame(c, frame);
      if (r == 0) {
        double pts = s->Seconds(frame->best_effort_timestamp, tb);
        int n = ConvertSound(&converter, frame, c->ch_layout.nb_channels, &chunk.samples);
        av_frame_unref(frame);
        if (n <= 0) continue;
        chunk.offset = 0;
        double offset = timeline.offset, length = static_cast<double>(n) / out->rate;
        chunk.pts = PlaceFrame(&timeline, pts, length);
        if (timeline.offset != offset) {  // a jump: the picture follows it
          s->soundOffset = timeline.offset;
          s->soundJumpAt = pts;
        }
        if (!std::isnan(pts)) s->soundAt = pts + length;
        return true;
      }
      if (r == AVERROR_EOF) {
        ended = true;
        endPts = std::isnan(timeline.next) ? target : timeline.next;
        s->soundAt = INFINITY;
        avcodec_flush_buffers(c);
        return false;
      }
      // Needs input.
      PacketItem item;
      if (!s->audioPackets.Get(&item, s->abort, 5)) return false;
      if (item.kind == PacketItem::Flush) {
        avcodec_flush_buffers(c);
        ResetSoundConverter(&converter);
        serial = item.serial;
        target = item.target;
        ResetTimeline(&timeline, target);
        s->soundAt = s->soundJumpAt = NAN;
        s->soundOffset = 0;
        ended = false;
        continue;
      }
      avcodec_send_packet(c, item.kind == PacketItem::End ? nullptr : item.packet);
      av_packet_free(&item.packet);
      if (s->abort) return false;
    }
  };

  uint32_t flushedSerial = 0;
  while (!s->abort) {
    if (p->loseAudio_.exchange(false)) out->lost = true;  // tests: as if the device went away
    if (out->lost) {  // the silent clock until the device can be opened again
      use(OpenAudioOutput(AudioDevice::Silent));
      p->audioRetryAt_ = QpcNow();
    } else if (p->audioRetryAt_ && QpcSeconds(QpcNow() - p->audioRetryAt_) > kRetryLost) {
      std::unique_ptr<AudioOutput> again = OpenAudioOutput(p->audioDevice_);
      p->audioRetryAt_ = again->Silent() && p->audioDevice_ != AudioDevice::Silent ? QpcNow() : 0;
      if (!p->audioRetryAt_) use(std::move(again));
    }
    uint32_t current = p->serial_.load();
    if (flushedSerial != current && serial == current) {  // a new position: forget what is queued
      flush();
      flushedSerial = current;
    }
    if (!haveChunk && !ended) haveChunk = decode();
    if (serial != current) {  // not yet at the latest flush: drain towards it
      haveChunk = false;
      ended = false;
      if (!decode()) Sleep(1);
      continue;
    }
    if (haveChunk) {  // exact position after a seek: drop what lies before the target
      size_t frames = chunk.samples.size() / out->channels;
      double chunkEnd = chunk.pts + static_cast<double>(frames - chunk.offset) / out->rate;
      if (p->startedSerial_ != current && chunk.pts < target - 1e-6) {
        if (chunkEnd <= target) { haveChunk = false; continue; }
        size_t skip = static_cast<size_t>((target - chunk.pts) * out->rate);
        chunk.offset += std::min(skip, frames - chunk.offset);
        chunk.pts = target;
      }
    }
    if (p->startedSerial_ != current) {
      // Video starts the clock with its first picture; alone, audio starts it. The video decoder
      // gives up a stream that decodes nothing; here one whose packets never come while the
      // reader can take no more sound.
      if (s->videoIndex >= 0 && s->audioPackets.Over() && s->videoPackets.Count() == 0) s->videoGivenUp = true;
      bool alone = s->videoIndex < 0 || s->videoGivenUp;
      if (alone && (haveChunk || ended)) p->StartClock(current, haveChunk ? std::min(chunk.pts, target) : target);
      else Sleep(1);
      continue;
    }
    bool wantPause = p->paused_.load() || p->endSerial_ == current;
    if (wantPause != paused) out->SetPaused(paused = wantPause);
    if (paused) { Sleep(5); continue; }

    if (!haveChunk) {
      if (ended && s->audioDone != current) {
        if (out->Delay() < 0.005 || p->clock_.Now() >= endPts + 0.25) {
          s->audioDone = current;
          p->CheckEnd(s);
        }
      }
      Sleep(ended ? 5 : 1);
      continue;
    }

    double delay = out->Delay();
    double now = p->clock_.Now();
    size_t frames = chunk.samples.size() / out->channels;
    double lag = chunk.pts - (now + delay);  // > 0: these samples are early
    SoundStep step = TimeSound(lag, fresh, chunk.pts, s->duration);
    if (step.kind == SoundStepKind::Drop) {  // late: drop up to the clock
      size_t skip = static_cast<size_t>(step.seconds * out->rate);
      chunk.offset += std::min(skip, frames - chunk.offset);
      chunk.pts += step.seconds;
      if (chunk.offset >= frames) haveChunk = false;
      continue;
    }
    if (step.kind == SoundStepKind::Discard) { haveChunk = false; continue; }
    if (step.kind == SoundStepKind::Hold) { Sleep(2); continue; }

    int room = out->Writable();
    int n = static_cast<int>(std::min<size_t>(room, frames - chunk.offset));
    if (n <= 0) { Sleep(2); continue; }
    const float* src = chunk.samples.data() + chunk.offset * out->channels;
    float volume = static_cast<float>(std::clamp(p->volume_.load(), 0.0, 1.0));
    scaled.assign(src, src + static_cast<size_t>(n) * out->channels);
    if (volume != 1.0f) for (float& v : scaled) v *= volume;
    if (auto tap = p->tap_.load()) tap->tap(tap->context, scaled.data(), n, out->channels);
    out->Write(scaled.data(), n);
    fresh = false;
    chunk.offset += n;
    chunk.pts += static_cast<double>(n) / out->rate;
    if (chunk.offset >= frames) haveChunk = false;

    // Steer the play clock by the device while the two agree.
    if (!out->Silent()) {
      double audioClock = chunk.pts - out->Delay();
      double drift = audioClock - p->clock_.Now();
      if (std::fabs(drift) < kAgree) p->NudgeClock(current, drift * 0.1);
    }
  }
  out->Flush();
  av_frame_free(&frame);
  CoUninitialize();
}
