// Converts decoded sound to the device's format: interleaved float at its rate and channels.
#pragma once
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

struct AVFrame;
struct SwrContext;

struct SoundConverter {
  SwrContext* swr = nullptr;
  AVChannelLayout in{}, out{};
  int inRate = 0, inFormat = -1, outRate = 0;
  SoundConverter() = default;
  SoundConverter(const SoundConverter&) = delete;
  SoundConverter& operator=(const SoundConverter&) = delete;
  ~SoundConverter();
};

// The device's format; the resampler is made again for the next frame.
void SetSoundOutput(SoundConverter* c, int rate, int channels);
// Forgets what the resampler holds (after a seek).
void ResetSoundConverter(SoundConverter* c);
// Converts frame (streamChannels: the stream's count when the frame names no layout) and
// replaces samples with the result; the number of frames converted, 0 when none.
int ConvertSound(SoundConverter* c, const AVFrame* frame, int streamChannels, std::vector<float>* samples);
