#include "engine/player/picture_colour.h"

#include <algorithm>
#include <iterator>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mastering_display_metadata.h>
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

constexpr double kDefaultPeak = 1000;  // HDR10's usual mastering peak; HLG's nominal display

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
  c.wideGamut = t.primaries == AVCOL_PRI_BT2020;
  if (t.transfer == AVCOL_TRC_SMPTE2084) {
    c.transfer = Transfer::Pq;
    c.peakNits = t.peakNits > 0 ? std::clamp(t.peakNits, 100.0, 10000.0) : kDefaultPeak;
  } else if (t.transfer == AVCOL_TRC_ARIB_STD_B67) {
    c.transfer = Transfer::Hlg;
    c.peakNits = kDefaultPeak;
  }
  return c;
}

ColourTags TagsOf(const AVFrame* f) {
  ColourTags t{f->colorspace, f->color_range, f->color_primaries, f->color_trc, f->format, f->width, f->height, 0};
  // The content's own brightest pixel when the file says, else its mastering display's peak.
  if (const AVFrameSideData* s = av_frame_get_side_data(f, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL))
    t.peakNits = reinterpret_cast<const AVContentLightMetadata*>(s->data)->MaxCLL;
  const AVFrameSideData* s = av_frame_get_side_data(f, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA);
  if (t.peakNits <= 0 && s) {
    const auto* m = reinterpret_cast<const AVMasteringDisplayMetadata*>(s->data);
    if (m->has_luminance && m->max_luminance.den) t.peakNits = av_q2d(m->max_luminance);
  }
  return t;
}
