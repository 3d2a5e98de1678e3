#include "engine/player/picture_convert.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

PictureConverter::~PictureConverter() { sws_freeContext(context); }

bool ConvertPicture(PictureConverter* c, const AVFrame* f, int width, int height, int swsFlags,
                    uint8_t* dst, int stride) {
  if (width <= 0 || height <= 0 || f->width <= 0 || f->height <= 0) return false;
  if (!c->context || c->srcW != f->width || c->srcH != f->height || c->srcFormat != f->format ||
      c->dstW != width || c->dstH != height || c->flags != swsFlags) {
    sws_freeContext(c->context);
    c->context = sws_alloc_context();
    if (!c->context) return false;
    av_opt_set_int(c->context, "srcw", f->width, 0);
    av_opt_set_int(c->context, "srch", f->height, 0);
    av_opt_set_int(c->context, "src_format", f->format, 0);
    av_opt_set_int(c->context, "dstw", width, 0);
    av_opt_set_int(c->context, "dsth", height, 0);
    av_opt_set_int(c->context, "dst_format", AV_PIX_FMT_BGRA, 0);
    av_opt_set_int(c->context, "sws_flags", swsFlags, 0);
    av_opt_set_int(c->context, "threads", 1, 0);
    if (sws_init_context(c->context, nullptr, nullptr) < 0) {
      sws_freeContext(c->context);
      c->context = nullptr;
      return false;
    }
    c->srcW = f->width;
    c->srcH = f->height;
    c->srcFormat = f->format;
    c->dstW = width;
    c->dstH = height;
    c->flags = swsFlags;
  }
  uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  return sws_scale(c->context, f->data, f->linesize, 0, f->height, planes, strides) > 0;
}
