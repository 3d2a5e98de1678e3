#include "engine/player/picture_colour.h"

#include <algorithm>
#include <iterator>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace {

// The tagged matrices swscale has coefficients for, and the ones they share.
constexpr struct { int space, matrix; } kMatrices[] = {
    {AVCOL_SPC_BT709, AVCOL_SPC_BT709},
    {AVCOL_SPC_FCC, AVCOL_SPC_FCC},
    {AVCOL_SPC_BT470BG, AVCOL_SPC_BT470BG},
    {AVCOL_SPC_SMPTE170M, AVCOL_SPC_BT470BG},
    {AVCOL_SPC_SMPTE240M, AVCOL_SPC_SMPTE240M},
    {AVCOL_SPC_BT2020_NCL, AVCOL_SPC_BT2020_NCL},
    {AVCOL_SPC_BT2020_CL, AVCOL_SPC_BT2020_NCL},  // the nearest swscale knows
};

// Formats whose name says full range, whatever the range tag.
constexpr AVPixelFormat kFullRangeFormats[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUVJ444P,
                                               AV_PIX_FMT_YUVJ440P, AV_PIX_FMT_YUVJ411P};

int MatrixFor(const ColourTags& t) {
  for (auto m : kMatrices)
    if (m.space == t.space) return m.matrix;
  // Untagged (or a matrix swscale lacks): what the primaries imply, else HD or SD by size.
  if (t.primaries == AVCOL_PRI_BT2020) return AVCOL_SPC_BT2020_NCL;
  return t.width >= 1280 || t.height >= 720 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG;
}

}  // namespace

PictureColour ChooseColour(const ColourTags& t) {
  PictureColour c;
  c.matrix = MatrixFor(t);
  c.fullRange = t.range == AVCOL_RANGE_JPEG ||
                std::find(std::begin(kFullRangeFormats), std::end(kFullRangeFormats), t.format) !=
                    std::end(kFullRangeFormats);
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(t.format));
  c.deep = d && d->comp[0].depth > 8;
  return c;
}

ColourTags TagsOf(const AVFrame* f) {
  return {f->colorspace, f->color_range, f->color_primaries, f->color_trc, f->format, f->width, f->height};
}
