#include "engine/player/picture_convert.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

PictureConverter::~PictureConverter() { sws_freeContext(context); }

namespace {

// The scaler for the picture's size, format and colour: its YUV matrix and range are the
// picture's, its output full-range BGRA.
bool MakeScaler(PictureConverter* c, const AVFrame* f, int width, int height, int flags,
                const PictureColour& colour) {
  sws_freeContext(c->context);
  c->context = sws_alloc_context();
  if (!c->context) return false;
  av_opt_set_int(c->context, "srcw", f->width, 0);
  av_opt_set_int(c->context, "srch", f->height, 0);
  av_opt_set_int(c->context, "src_format", f->format, 0);
  av_opt_set_int(c->context, "dstw", width, 0);
  av_opt_set_int(c->context, "dsth", height, 0);
  av_opt_set_int(c->context, "dst_format", AV_PIX_FMT_BGRA, 0);
  av_opt_set_int(c->context, "sws_flags", flags, 0);
  av_opt_set_int(c->context, "threads", 1, 0);
  if (sws_init_context(c->context, nullptr, nullptr) < 0) {
    sws_freeContext(c->context);
    c->context = nullptr;
    return false;
  }
  sws_setColorspaceDetails(c->context, sws_getCoefficients(colour.matrix), colour.fullRange,
                           sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
  c->srcW = f->width;
  c->srcH = f->height;
  c->srcFormat = f->format;
  c->dstW = width;
  c->dstH = height;
  c->flags = flags;
  c->colour = colour;
  return true;
}

}  // namespace

bool ConvertPicture(PictureConverter* c, const AVFrame* f, int width, int height, int swsFlags,
                    uint8_t* dst, int stride) {
  if (width <= 0 || height <= 0 || f->width <= 0 || f->height <= 0) return false;
  PictureColour colour = ChooseColour(TagsOf(f));
  // Deep pictures: full chroma and no rounding to 8 bits inside the scaler.
  if (colour.deep) swsFlags |= SWS_FULL_CHR_H_INT | SWS_ACCURATE_RND;
  if (!c->context || c->srcW != f->width || c->srcH != f->height || c->srcFormat != f->format ||
      c->dstW != width || c->dstH != height || c->flags != swsFlags || !(c->colour == colour)) {
    if (!MakeScaler(c, f, width, height, swsFlags, colour)) return false;
  }
  uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  return sws_scale(c->context, f->data, f->linesize, 0, f->height, planes, strides) > 0;
}
