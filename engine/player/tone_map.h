// The light step for HDR and wide-gamut pictures: their RGB decoded to light, fitted into an
// SDR BT.709 display (a tone curve for the highlights, a gamut fit for the colours) and encoded
// again. Per pixel it runs on lookup tables and four pixels at a time, so a panel-sized picture
// costs little.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/player/picture_colour.h"

constexpr double kSdrWhiteNits = 203;  // HDR reference white: the SDR display's peak
constexpr int kScalerWhite = 255 << 8;  // white in swscale's 16-bit RGB (not 65535)

double PqToNits(double signal);  // SMPTE ST 2084
double HlgToScene(double signal);      // BT.2100 HLG: scene light 0..1
double SignalToDisplay(double signal);  // SDR display (BT.1886, gamma 2.4): light 0..1
double DisplayToSignal(double light);
// The tone curve on light relative to SDR white: unchanged up to a knee, then a Moebius shoulder
// that reaches 1 exactly at peak and keeps a slope to the end, so highlights stay apart.
double ToneCurve(double light, double peak);
// BT.709 light into 0..1 by moving towards its own luminance, which stays (no hue shift, no clip).
void FitGamut(float rgb[3]);

struct ToneTables {
  static constexpr int kSize = 4096;
  PictureColour colour;
  float light[kSize];      // a 16-bit sample's top 12 bits to light (1: SDR white; HLG: scene light)
  float hlgGain[kSize];    // HLG's display gain by scene luminance
  float toneGain[kSize];   // the tone curve's gain by the brightest component, up to toneTop
  float toneTop = 1, toneScale = 1, toneMax = 1;
  float matrix[9];         // BT.2020 light to BT.709 (identity for BT.709 pictures)
  uint8_t encode[kSize];   // BT.709 light, indexed by its square root, to an 8-bit signal
};

void BuildToneTables(const PictureColour& colour, ToneTables* t);
// 16-bit planes (r, g, b; stride in samples) to BGRA rows (stride in bytes).
void ToneMapRows(const ToneTables& t, const uint16_t* const rgb[3], ptrdiff_t rgbStride, int width, int height,
                 uint8_t* bgra, ptrdiff_t stride);
