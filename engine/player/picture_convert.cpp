#include "engine/player/picture_convert.h"

#include <algorithm>

#include "engine/player/tone_map.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

PictureConverter::PictureConverter() = default;
PictureConverter::~PictureConverter() { sws_freeContext(context); }

namespace {

// Deep and linear pictures go through 16-bit planes: swscale keeps their precision there, and
// its planar output is several times quicker than its packed 16-bit one.
bool Planar(const PictureColour& colour) { return colour.deep || colour.Linear(); }

// 16-bit planes (r, g, b) to BGRA rows, each sample rounded to 8 bits.
uint8_t To8(uint16_t v) { return static_cast<uint8_t>(std::min((v + 128) * 255 / kScalerWhite, 255)); }

void PackRows(const uint16_t* const rgb[3], ptrdiff_t rgbStride, int width, int height, uint8_t* bgra, int stride) {
  for (int y = 0; y < height; ++y) {
    const uint16_t *r = rgb[0] + y * rgbStride, *g = rgb[1] + y * rgbStride, *b = rgb[2] + y * rgbStride;
    uint8_t* d = bgra + y * stride;
    for (int x = 0; x < width; ++x, d += 4) {
      d[0] = To8(b[x]);
      d[1] = To8(g[x]);
      d[2] = To8(r[x]);
      d[3] = 255;
    }
  }
}

// The scaler for the picture's size, format and colour; its YUV matrix and range are the
// picture's, its output full-range RGB: BGRA, or 16-bit planes for deep and linear pictures.
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
  av_opt_set_int(c->context, "dst_format", Planar(colour) ? AV_PIX_FMT_GBRP16 : AV_PIX_FMT_BGRA, 0);
  av_opt_set_int(c->context, "sws_flags", flags, 0);
  av_opt_set_int(c->context, "threads", 1, 0);
  if (sws_init_context(c->context, nullptr, nullptr) < 0) {
    sws_freeContext(c->context);
    c->context = nullptr;
    return false;
  }
  sws_setColorspaceDetails(c->context, sws_getCoefficients(colour.matrix), colour.fullRange,
                           sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
  if (colour.Linear()) {
    if (!c->tone) c->tone = std::make_unique<ToneTables>();
    if (!(c->tone->colour == colour)) BuildToneTables(colour, c->tone.get());
  }
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
  if (!c->context || c->srcW != f->width || c->srcH != f->height || c->srcFormat != f->format ||
      c->dstW != width || c->dstH != height || c->flags != swsFlags || !(c->colour == colour)) {
    if (!MakeScaler(c, f, width, height, swsFlags, colour)) return false;
  }
  if (!Planar(colour)) {
    uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    return sws_scale(c->context, f->data, f->linesize, 0, f->height, planes, strides) > 0;
  }
  size_t plane = static_cast<size_t>(width) * height;
  c->wide.resize(plane * 3);
  uint16_t* rgb[3] = {c->wide.data(), c->wide.data() + plane, c->wide.data() + 2 * plane};
  uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(rgb[1]), reinterpret_cast<uint8_t*>(rgb[2]),
                        reinterpret_cast<uint8_t*>(rgb[0]), nullptr};  // G, B, R
  int strides[4] = {width * 2, width * 2, width * 2, 0};
  if (sws_scale(c->context, f->data, f->linesize, 0, f->height, planes, strides) <= 0) return false;
  if (colour.Linear()) ToneMapRows(*c->tone, rgb, width, width, height, dst, stride);
  else PackRows(rgb, width, width, height, dst, stride);
  return true;
}
