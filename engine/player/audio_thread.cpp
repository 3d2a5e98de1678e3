// The audio side of an open file: decoding, resampling to the device's format, volume, and
// feeding the device in step with the play clock (TimeSound). The device's own clock steers the
// play clock while the two agree; when they do not (a device that starts slow, or no device at
// all) the system clock rules and the samples are stretched, dropped or preceded by silence to
// follow it. Every wait is on the player's news, bounded.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/player/audio_output.h"
#include "engine/player/session.h"
#include "engine/player/sound_convert.h"

namespace {

constexpr double kAgree = 0.05;     // audio and system clocks within this: audio steers
constexpr double kRetryLost = 1.0;  // seconds between attempts to open a lost device again
constexpr double kRefill = 0.01;    // a full device is looked at again this soon

struct Chunk {
  std::vector<float> samples;  // interleaved at the device's format
  size_t offset = 0;           // frames already used
  double pts = 0;              // of the frame at offset
};

// The sound device is the player's, kept from file to file: opened anew when none is open, the
// open one was lost or another one is wanted, and while the wanted one cannot be had the silent
// clock stands in and it is tried again every kRetryLost seconds, whatever the file.
bool DeviceDue(Player* p) {
  return !p->audio_ || p->audio_->lost || (p->deviceGone_.load() && !p->audio_->Silent()) ||
         p->audioOpenedFor_ != static_cast<int>(p->audioDevice_.load()) ||
         (p->audioRetryAt_ && QpcNow() >= p->audioRetryAt_);
}

void OpenDevice(Player* p) {
  AudioDevice wanted = p->audioDevice_.load();
  p->audio_.reset();
  p->audio_ = OpenAudioOutput(p->deviceGone_.load() ? AudioDevice::Silent : wanted);
  bool missing = p->audio_->Silent() && wanted != AudioDevice::Silent;
  p->audioRetryAt_ = missing ? QpcNow() + static_cast<int64_t>(kRetryLost / QpcSeconds(1)) : 0;
  p->audioOpenedFor_ = static_cast<int>(wanted);
  p->openedDevice_ = static_cast<int>(p->audio_->kind);
  ++p->audioOpens;
}

// n frames of src made into m by linear interpolation (a slight change of speed).
void Stretch(const float* src, int n, int m, int channels, std::vector<float>* out) {
  out->resize(static_cast<size_t>(m) * channels);
  for (int j = 0; j < m; ++j) {
    double at = m > 1 ? static_cast<double>(j) * (n - 1) / (m - 1) : 0;
    int i = std::min(static_cast<int>(at), n - 1);
    int k = std::min(i + 1, n - 1);
    float f = static_cast<float>(at - i);
    for (int c = 0; c < channels; ++c)
      (*out)[static_cast<size_t>(j) * channels + c] = src[i * channels + c] * (1 - f) + src[k * channels + c] * f;
  }
}

}  // namespace

void AudioThread(Session* s) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Player* p = s->player;
  if (DeviceDue(p)) OpenDevice(p);
  AudioOutput* out = p->audio_.get();
  AVCodecContext* c = s->audio;
  AVRational tb = s->format->streams[s->audioIndex]->time_base;
  SoundConverter converter;
  SetSoundOutput(&converter, out->rate, out->channels, out->channelMask);
  AVFrame* frame = av_frame_alloc();
  Chunk chunk;
  bool haveChunk = false, ended = false, paused = false, fresh = true;
  uint32_t serial = 0, reportedSerial = 0;
  double target = 0, endPts = 0;
  StreamTimeline timeline;
  StreamMark mine;
  std::vector<float> written, stretched;
  int64_t pictureQuietSince = 0;  // waiting for the start: when the picture was last seen moving
  long pictureSeen = -1;
  // Every file, seek and stop leaves the device empty and running, paused or ended before.
  auto flush = [&] {
    out->Flush();
    paused = false;
    fresh = true;
  };
  auto mark = [&] { s->SetMark(Stream::Sound, serial, mine); };
  flush();

  // Decodes until one chunk of samples is ready (true) or nothing is available now.
  auto decode = [&]() -> bool {
    for (;;) {
      int r = avcodec_receive_frame(c, frame);
      if (r == 0) {
        ++s->audioOut;
        double raw = s->Seconds(frame->best_effort_timestamp, tb);
        int n = ConvertSound(&converter, frame, c->ch_layout.nb_channels, &chunk.samples);
        av_frame_unref(frame);
        if (n <= 0) continue;
        chunk.offset = 0;
        chunk.pts = s->Place(Stream::Sound, serial, &timeline, raw, static_cast<double>(n) / out->rate, &mine);
        mark();
        return true;
      }
      if (r == AVERROR_EOF) {
        ended = true;
        endPts = std::isnan(timeline.next) ? target : timeline.next;
        mine.live = false;
        mark();
        avcodec_flush_buffers(c);
        return false;
      }
      // Needs input: waits for it only briefly, so that commands and the device are seen to.
      PacketItem item;
      if (!s->audioPackets.Get(&item, s->abort, static_cast<int>(kRefill * 1000))) return false;
      if (item.kind == PacketItem::Flush) {
        avcodec_flush_buffers(c);
        ResetSoundConverter(&converter);
        serial = item.serial;
        target = item.target;
        ResetTimeline(&timeline, target);
        mine = StreamMark{};
        mine.live = true;
        mark();
        ended = false;
        continue;
      }
      avcodec_send_packet(c, item.kind == PacketItem::End ? nullptr : item.packet);
      av_packet_free(&item.packet);
      if (s->abort) return false;
    }
  };
  // Writes n frames (silence when src is null) through the volume and the tap.
  auto write = [&](const float* src, int n) {
    written.assign(src ? src : nullptr, src ? src + static_cast<size_t>(n) * out->channels : nullptr);
    written.resize(static_cast<size_t>(n) * out->channels, 0.0f);
    float volume = static_cast<float>(std::clamp(p->volume_.load(), 0.0, 1.0));
    if (volume != 1.0f) for (float& v : written) v *= volume;
    if (auto tap = p->tap_.load()) tap->tap(tap->context, written.data(), n, out->channels);
    out->Write(written.data(), n);
    fresh = false;
  };

  uint32_t flushedSerial = 0;
  while (!s->abort) {
    uint64_t news = p->News();
    if (DeviceDue(p)) {  // lost, or its retry is due: the samples and resampler follow its format
      OpenDevice(p);
      out = p->audio_.get();
      SetSoundOutput(&converter, out->rate, out->channels, out->channelMask);
      haveChunk = false;
      flush();
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
      continue;
    }
    if (haveChunk && p->startedSerial_ != current && chunk.pts < target - 1e-6) {
      // Exact position after a seek: drop what lies before the target.
      size_t frames = chunk.samples.size() / out->channels;
      double chunkEnd = chunk.pts + static_cast<double>(frames - chunk.offset) / out->rate;
      if (chunkEnd <= target) { haveChunk = false; continue; }
      size_t skip = static_cast<size_t>((target - chunk.pts) * out->rate);
      chunk.offset += std::min(skip, frames - chunk.offset);
      chunk.pts = target;
    }
    if (p->startedSerial_ != current) {
      // Both streams report where they start. A picture stream whose packets never come while the
      // reader can take no more sound decodes nothing; one that makes no progress for a while is
      // not waited for.
      if (s->videoIndex >= 0 && !s->videoGivenUp && s->audioPackets.Over() && s->videoPackets.Count() == 0) {
        s->videoGivenUp = true;
        p->CheckStart(s);
      }
      if ((haveChunk || ended) && reportedSerial != current) {
        reportedSerial = current;
        pictureSeen = -1;
        p->ReportStart(s, current, Stream::Sound, haveChunk ? chunk.pts : NAN, target);
      }
      if (reportedSerial == current && p->startedSerial_ != current) {
        long picture = s->videoFed.load() + s->videoOut.load();
        if (picture != pictureSeen) pictureSeen = picture, pictureQuietSince = QpcNow();
        if (QpcSeconds(QpcNow() - pictureQuietSince) > kWaitBound) p->ForceStart(s, current);
        else p->WaitNews(news, 0.1);
      }
      continue;
    }
    bool wantPause = p->paused_.load() || p->endSerial_ == current;
    if (wantPause != paused) out->SetPaused(paused = wantPause);
    double retry = p->audioRetryAt_ ? std::max(0.001, QpcSeconds(p->audioRetryAt_ - QpcNow())) : kWaitBound;
    if (paused) {
      p->WaitNews(news, std::min(retry, kWaitBound));
      continue;
    }
    if (!haveChunk) {
      if (ended && s->audioDone != current) {
        if (out->Delay() < 0.005 || p->clock_.Now() >= endPts + 0.25) {
          s->audioDone = current;
          p->CheckEnd(s);
        } else {
          p->WaitNews(news, kRefill);
        }
      } else if (ended) {
        p->WaitNews(news, std::min(retry, kWaitBound));
      }
      continue;
    }

    size_t frames = chunk.samples.size() / out->channels;
    int left = static_cast<int>(frames - chunk.offset);
    double lag = chunk.pts - (p->clock_.Now() + out->Delay());  // > 0: these samples are early
    SoundStep step = TimeSound(lag, fresh, chunk.pts, s->duration);
    if (step.kind == SoundStepKind::Discard) {
      haveChunk = false;
      continue;
    }
    if (step.kind == SoundStepKind::Drop) {  // late: drop up to the clock
      size_t skip = static_cast<size_t>(step.amount * out->rate);
      chunk.offset += std::min(skip, frames - chunk.offset);
      chunk.pts += step.amount;
      if (chunk.offset >= frames) haveChunk = false;
      continue;
    }
    int room = out->Writable();
    if (room <= 0) {
      p->WaitNews(news, kRefill);
      continue;
    }
    const float* src = chunk.samples.data() + chunk.offset * out->channels;
    int used = 0;
    if (step.kind == SoundStepKind::Silence) {  // early (a gap in the sound): silence until they are due
      write(nullptr, std::min(room, std::max(1, static_cast<int>(step.amount * out->rate))));
    } else if (step.kind == SoundStepKind::Stretch) {  // a steady offset: a little slower or faster
      used = std::clamp(static_cast<int>(room / step.amount), 1, left);
      int made = std::clamp(static_cast<int>(std::lround(used * step.amount)), 1, room);
      Stretch(src, used, made, out->channels, &stretched);
      write(stretched.data(), made);
    } else {
      used = std::min(left, room);
      write(src, used);
    }
    chunk.offset += used;
    chunk.pts += static_cast<double>(used) / out->rate;
    if (chunk.offset >= frames) haveChunk = false;

    // Steer the play clock by the device while the two agree.
    if (!out->Silent()) {
      double drift = chunk.pts - out->Delay() - p->clock_.Now();
      if (std::fabs(drift) < kAgree) p->NudgeClock(current, drift * 0.1);
    }
  }
  out->Flush();
  av_frame_free(&frame);
  CoUninitialize();
}
