#include "engine/player/sound_convert.h"

#include <algorithm>
#include <numbers>

extern "C" {
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

namespace {

constexpr double kMinus3dB = 1 / std::numbers::sqrt2;  // centre and surround into the front pair; mono into each side
constexpr int kMaxChannels = 64;  // swresample's limit

}  // namespace

SoundConverter::~SoundConverter() {
  swr_free(&swr);
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
}

void SetSoundOutput(SoundConverter* c, int rate, int channels, uint32_t channelMask) {
  swr_free(&c->swr);
  av_channel_layout_uninit(&c->out);
  if (channelMask == 0 || av_channel_layout_from_mask(&c->out, channelMask) < 0 || c->out.nb_channels != channels)
    av_channel_layout_default(&c->out, channels);
  c->outRate = rate;
}

void ResetSoundConverter(SoundConverter* c) {
  if (c->swr) swr_init(c->swr);
}

bool MixMatrix(const AVChannelLayout& in, const AVChannelLayout& out, std::vector<double>* matrix) {
  matrix->assign(static_cast<size_t>(in.nb_channels) * out.nb_channels, 0.0);
  int left = av_channel_layout_index_from_channel(&out, AV_CHAN_FRONT_LEFT);
  int right = av_channel_layout_index_from_channel(&out, AV_CHAN_FRONT_RIGHT);
  if (in.nb_channels == 1 && left >= 0 && right >= 0) {
    (*matrix)[left] = (*matrix)[right] = kMinus3dB;
    return true;
  }
  // swr_build_matrix2 scales all of a 64 x 64 matrix, whatever the layouts: build it in one.
  if (in.nb_channels > kMaxChannels || out.nb_channels > kMaxChannels) return false;
  std::vector<double> full(kMaxChannels * kMaxChannels);
  if (swr_build_matrix2(&in, &out, kMinus3dB, kMinus3dB, 0, 1.0, 1.0, full.data(), kMaxChannels,
                        AV_MATRIX_ENCODING_NONE, nullptr) < 0)
    return false;
  for (int o = 0; o < out.nb_channels; ++o)
    std::copy_n(&full[o * kMaxChannels], in.nb_channels, &(*matrix)[o * in.nb_channels]);
  return true;
}

int ConvertSound(SoundConverter* c, const AVFrame* frame, int streamChannels, std::vector<float>* samples) {
  if (!c->swr || c->inRate != frame->sample_rate || c->inFormat != frame->format ||
      av_channel_layout_compare(&c->in, &frame->ch_layout) != 0) {
    swr_free(&c->swr);
    av_channel_layout_uninit(&c->in);
    av_channel_layout_copy(&c->in, &frame->ch_layout);  // what the next frame is compared with
    c->inRate = frame->sample_rate;
    c->inFormat = frame->format;
    // A layout without named channels (or one no mix is made for) mixes as the usual one for its
    // count; a frame without one has the stream's count.
    AVChannelLayout named{};
    std::vector<double> matrix;
    if (c->in.nb_channels > 0) av_channel_layout_copy(&named, &c->in);
    else av_channel_layout_default(&named, streamChannels);
    if (named.order != AV_CHANNEL_ORDER_NATIVE || !MixMatrix(named, c->out, &matrix)) {
      int count = named.nb_channels;
      av_channel_layout_uninit(&named);
      av_channel_layout_default(&named, count);
      if (!MixMatrix(named, c->out, &matrix)) matrix.clear();
    }
    bool ok = !matrix.empty() &&
              swr_alloc_set_opts2(&c->swr, &c->out, AV_SAMPLE_FMT_FLT, c->outRate, &named,
                                  static_cast<AVSampleFormat>(c->inFormat), c->inRate, 0, nullptr) >= 0 &&
              swr_set_matrix(c->swr, matrix.data(), named.nb_channels) >= 0 && swr_init(c->swr) >= 0;
    av_channel_layout_uninit(&named);
    if (!ok) {
      swr_free(&c->swr);
      return 0;
    }
  }
  int channels = c->out.nb_channels;
  int room = swr_get_out_samples(c->swr, frame->nb_samples) + 32;
  samples->resize(static_cast<size_t>(room) * channels);
  uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(samples->data())};
  int n = swr_convert(c->swr, dst, room, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
  if (n <= 0) return 0;
  samples->resize(static_cast<size_t>(n) * channels);
  return n;
}
