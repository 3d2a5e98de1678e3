// The picture of a sound file (its cover art): decoded once, then converted only when the panel's
// size or the scaler changes. It stands beside the play clock: the sound alone times the file.
#include <cmath>

#include "engine/player/movie_values.h"
#include "engine/player/picture_convert.h"
#include "engine/player/session.h"

namespace {

AVFrame* DecodeCover(Session* s) {
  AVFrame* f = av_frame_alloc();
  AVCodecContext* c = s->cover;
  if (f && avcodec_send_packet(c, s->coverPacket) >= 0 && avcodec_send_packet(c, nullptr) >= 0 &&
      avcodec_receive_frame(c, f) >= 0 && f->width > 0 && f->height > 0)
    return f;
  av_frame_free(&f);
  return nullptr;
}

}  // namespace

void CoverThread(Session* s) {
  Player* p = s->player;
  AVFrame* cover = DecodeCover(s);
  avcodec_free_context(&s->cover);  // done with: only the picture stays
  PictureConverter converter;
  Picture back;
  uint32_t made = ~p->outputGeneration_.load();
  while (cover && !s->abort) {
    uint64_t news = p->News();
    uint32_t generation = p->outputGeneration_.load();
    uint32_t box = p->pictureSize_.load();
    if (generation != made) {
      made = generation;
      // Within the fitted box with its own aspect; the window centres it there.
      double sar = cover->sample_aspect_ratio.num > 0 ? av_q2d(cover->sample_aspect_ratio) : 1;
      FitRect fit = FitPicture(box >> 16, box & 0xFFFF, cover->height / (cover->width * sar));
      if (ConvertInto(&converter, cover, static_cast<int>(std::lround(fit.width)),
                      static_cast<int>(std::lround(fit.height)), p->scalerFlags_.load(), s->id, &back))
        p->Publish(back);
    }
    p->WaitNews(news, kWaitBound);
  }
  av_frame_free(&cover);
}
