// Converts decoded sound to the device's format: interleaved float at its rate, in its speaker
// layout, mixed so that no channel can exceed full scale.
#pragma once
#include <cstdint>
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

// The device's format: its rate, channel count and speaker mask (the Windows speaker bits, which
// are FFmpeg's channel bits; 0 or one that does not match the count: the usual layout for the
// count). The resampler is made again for the next frame.
void SetSoundOutput(SoundConverter* c, int rate, int channels, uint32_t channelMask = 0);
// Forgets what the resampler holds (after a seek).
void ResetSoundConverter(SoundConverter* c);
// Converts frame (streamChannels: the stream's count when the frame names no layout) and
// replaces samples with the result; the number of frames converted, 0 when none.
int ConvertSound(SoundConverter* c, const AVFrame* frame, int streamChannels, std::vector<float>* samples);
// The mix from a stream's layout to the device's as swr_set_matrix takes it (the weight of input
// channel i in output channel o at i + o * in.nb_channels): swresample's, scaled so that no output
// channel's weights add up to more than 1, with mono on the front pair rather than the centre
// alone. False when there is none for these layouts.
bool MixMatrix(const AVChannelLayout& in, const AVChannelLayout& out, std::vector<double>* matrix);
