#include "engine/player/sound_convert.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

SoundConverter::~SoundConverter() {
  swr_free(&swr);
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
}

void SetSoundOutput(SoundConverter* c, int rate, int channels) {
  swr_free(&c->swr);
  av_channel_layout_uninit(&c->out);
  av_channel_layout_default(&c->out, channels);
  c->outRate = rate;
}

void ResetSoundConverter(SoundConverter* c) {
  if (c->swr) swr_init(c->swr);
}

int ConvertSound(SoundConverter* c, const AVFrame* frame, int streamChannels, std::vector<float>* samples) {
  if (!c->swr || c->inRate != frame->sample_rate || c->inFormat != frame->format ||
      av_channel_layout_compare(&c->in, &frame->ch_layout) != 0) {
    swr_free(&c->swr);
    av_channel_layout_uninit(&c->in);
    av_channel_layout_copy(&c->in, &frame->ch_layout);
    if (c->in.nb_channels <= 0) av_channel_layout_default(&c->in, streamChannels);
    c->inRate = frame->sample_rate;
    c->inFormat = frame->format;
    if (swr_alloc_set_opts2(&c->swr, &c->out, AV_SAMPLE_FMT_FLT, c->outRate, &c->in,
                            static_cast<AVSampleFormat>(c->inFormat), c->inRate, 0, nullptr) < 0 ||
        swr_init(c->swr) < 0) {
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
