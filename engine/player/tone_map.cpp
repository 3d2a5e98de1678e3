#include "engine/player/tone_map.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

namespace {

// SMPTE ST 2084's constants.
constexpr double kM1 = 2610.0 / 16384, kM2 = 2523.0 / 4096 * 128;
constexpr double kC1 = 3424.0 / 4096, kC2 = 2413.0 / 4096 * 32, kC3 = 2392.0 / 4096 * 32;
// BT.2100 HLG's constants, and its display gamma for the nominal 1000 nits.
constexpr double kHlgA = 0.17883277, kHlgB = 1 - 4 * kHlgA, kHlgC = 0.55991073, kHlgGamma = 1.2;
constexpr float kBt2020ToBt709[9] = {1.660491f,  -0.587641f, -0.072850f, -0.124550f, 1.132900f,
                                     -0.008349f, -0.018151f, -0.100579f, 1.118730f};
constexpr float kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
// Light up to half of SDR white (about 100 nits: faces, most of a scene) keeps its level.
constexpr double kKnee = 0.5;
constexpr float kLumaR = 0.2126f, kLumaG = 0.7152f, kLumaB = 0.0722f;  // BT.709
constexpr float kWideLumaR = 0.2627f, kWideLumaG = 0.6780f, kWideLumaB = 0.0593f;  // BT.2020

double SignalToLight(Transfer transfer, double s) {
  switch (transfer) {
    case Transfer::Pq: return PqToNits(s) / kSdrWhiteNits;
    case Transfer::Hlg: return HlgToScene(s);
    default: return SignalToDisplay(s);
  }
}

// Moves four colours (c[0] their reds, ...) towards their luminance just as far as brings every
// component into 0..1: hue and luminance stay, nothing clips.
void Fit(__m128 c[3]) {
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1), tiny = _mm_set1_ps(1e-20f);
  __m128 y = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(kLumaR), c[0]), _mm_mul_ps(_mm_set1_ps(kLumaG), c[1])),
                        _mm_mul_ps(_mm_set1_ps(kLumaB), c[2]));
  y = _mm_min_ps(_mm_max_ps(y, zero), one);
  __m128 lo = _mm_min_ps(_mm_min_ps(c[0], c[1]), _mm_min_ps(c[2], zero));
  __m128 hi = _mm_max_ps(_mm_max_ps(c[0], c[1]), _mm_max_ps(c[2], one));
  __m128 keep = _mm_min_ps(_mm_div_ps(y, _mm_max_ps(_mm_sub_ps(y, lo), tiny)),
                           _mm_div_ps(_mm_sub_ps(one, y), _mm_max_ps(_mm_sub_ps(hi, y), tiny)));
  for (int k = 0; k < 3; ++k)
    c[k] = _mm_min_ps(_mm_max_ps(_mm_add_ps(y, _mm_mul_ps(keep, _mm_sub_ps(c[k], y))), zero), one);
}

constexpr int kRun = 256;  // pixels mapped together: each stage's values stay in the cache

// Stage by stage over a run of pixels: the table lookups one at a time, the arithmetic between
// them four pixels at a time.
void MapRun(const ToneTables& t, const uint16_t* sr, const uint16_t* sg, const uint16_t* sb, int count, uint8_t* d) {
  constexpr int n = ToneTables::kSize;
  alignas(16) float r[kRun], g[kRun], b[kRun], gain[kRun];
  alignas(16) int ri[kRun], gi[kRun], bi[kRun];
  int padded = (count + 3) & ~3;
  for (int i = 0; i < count; ++i) {
    r[i] = t.light[sr[i] >> 4];
    g[i] = t.light[sg[i] >> 4];
    b[i] = t.light[sb[i] >> 4];
  }
  for (int i = count; i < padded; ++i) r[i] = g[i] = b[i] = 0;
  if (t.colour.transfer == Transfer::Hlg) {  // scene light to display light by the scene's luminance
    for (int i = 0; i < padded; ++i)
      ri[i] = std::min(static_cast<int>((kWideLumaR * r[i] + kWideLumaG * g[i] + kWideLumaB * b[i]) * (n - 1) + 0.5f), n - 1);
    for (int i = 0; i < padded; ++i) gain[i] = t.hlgGain[ri[i]];
    for (int i = 0; i < padded; ++i) r[i] *= gain[i], g[i] *= gain[i], b[i] *= gain[i];
  }
  // The curve on the brightest component keeps the ratios, so hues stay.
  for (int i = 0; i < padded; ++i)
    ri[i] = std::min(static_cast<int>(std::max(r[i], std::max(g[i], b[i])) * t.toneScale), n - 1);
  for (int i = 0; i < padded; ++i) gain[i] = t.toneGain[ri[i]];
  const __m128 top = _mm_set1_ps(t.toneTop), max = _mm_set1_ps(t.toneMax);
  const __m128 last = _mm_set1_ps(n - 1), half = _mm_set1_ps(0.5f);
  __m128 m[9];
  for (int k = 0; k < 9; ++k) m[k] = _mm_set1_ps(t.matrix[k]);
  for (int i = 0; i < padded; i += 4) {
    __m128 r0 = _mm_load_ps(r + i), g0 = _mm_load_ps(g + i), b0 = _mm_load_ps(b + i);
    __m128 brightest = _mm_max_ps(r0, _mm_max_ps(g0, b0)), below = _mm_cmplt_ps(brightest, top);
    __m128 past = _mm_div_ps(max, _mm_max_ps(brightest, top));  // beyond the peak: white
    __m128 k = _mm_or_ps(_mm_and_ps(below, _mm_load_ps(gain + i)), _mm_andnot_ps(below, past));
    r0 = _mm_mul_ps(r0, k), g0 = _mm_mul_ps(g0, k), b0 = _mm_mul_ps(b0, k);
    __m128 c[3];
    for (int row = 0; row < 3; ++row)
      c[row] = _mm_add_ps(_mm_add_ps(_mm_mul_ps(m[3 * row], r0), _mm_mul_ps(m[3 * row + 1], g0)),
                          _mm_mul_ps(m[3 * row + 2], b0));
    Fit(c);
    int* out[3] = {ri + i, gi + i, bi + i};
    for (int row = 0; row < 3; ++row)  // the encode table's index: the light's square root
      _mm_store_si128(reinterpret_cast<__m128i*>(out[row]),
                      _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_sqrt_ps(c[row]), last), half)));
  }
  for (int i = 0; i < count; ++i, d += 4) {
    d[0] = t.encode[bi[i]];
    d[1] = t.encode[gi[i]];
    d[2] = t.encode[ri[i]];
    d[3] = 255;
  }
}

}  // namespace

double PqToNits(double signal) {
  double p = std::pow(std::clamp(signal, 0.0, 1.0), 1 / kM2);
  return 10000 * std::pow(std::max(p - kC1, 0.0) / (kC2 - kC3 * p), 1 / kM1);
}

double HlgToScene(double signal) {
  double s = std::clamp(signal, 0.0, 1.0);
  return s <= 0.5 ? s * s / 3 : (std::exp((s - kHlgC) / kHlgA) + kHlgB) / 12;
}

double SignalToDisplay(double signal) { return std::pow(std::clamp(signal, 0.0, 1.0), 2.4); }
double DisplayToSignal(double light) { return std::pow(std::clamp(light, 0.0, 1.0), 1 / 2.4); }

double ToneCurve(double light, double peak) {
  if (peak <= 1 || light <= kKnee) return std::min(light, 1.0);
  double a = -kKnee * kKnee * (peak - 1) / (kKnee * kKnee - 2 * kKnee + peak);
  double b = (kKnee * kKnee - 2 * kKnee * peak + peak) / (peak - 1);
  return std::min((b * b + 2 * b * kKnee + kKnee * kKnee) / (b - a) * (light + a) / (light + b), 1.0);
}

void FitGamut(float rgb[3]) {
  __m128 c[3] = {_mm_set1_ps(rgb[0]), _mm_set1_ps(rgb[1]), _mm_set1_ps(rgb[2])};
  Fit(c);
  for (int k = 0; k < 3; ++k) rgb[k] = _mm_cvtss_f32(c[k]);
}

void BuildToneTables(const PictureColour& colour, ToneTables* t) {
  constexpr int n = ToneTables::kSize;
  t->colour = colour;
  for (int i = 0; i < n; ++i) {
    double s = (i * 16 + 8) / double(kScalerWhite);  // the middle of the 16 samples sharing index i
    t->light[i] = static_cast<float>(SignalToLight(colour.transfer, s));
    t->hlgGain[i] = static_cast<float>(colour.peakNits / kSdrWhiteNits * std::pow(double(i) / (n - 1), kHlgGamma - 1));
    double v = double(i) / (n - 1);
    t->encode[i] = static_cast<uint8_t>(std::lround(255 * DisplayToSignal(v * v)));
  }
  double peak = colour.transfer == Transfer::Sdr ? 1 : colour.peakNits / kSdrWhiteNits;
  t->toneTop = static_cast<float>(peak);
  t->toneScale = (n - 1) / t->toneTop;
  t->toneMax = static_cast<float>(ToneCurve(peak, peak));
  t->toneGain[0] = 1;
  for (int i = 1; i < n; ++i) {
    double m = i / double(t->toneScale);
    t->toneGain[i] = static_cast<float>(ToneCurve(m, peak) / m);
  }
  std::copy_n(colour.wideGamut ? kBt2020ToBt709 : kIdentity, 9, t->matrix);
}

void ToneMapRows(const ToneTables& t, const uint16_t* const rgb[3], ptrdiff_t rgbStride, int width, int height,
                 uint8_t* bgra, ptrdiff_t stride) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; x += kRun) {
      ptrdiff_t at = y * rgbStride + x;
      MapRun(t, rgb[0] + at, rgb[1] + at, rgb[2] + at, std::min(kRun, width - x), bgra + y * stride + 4 * x);
    }
}
