#include "engine/player/movie_values.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
}  // namespace

double TextToNumber(const std::wstring& text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  if (b == e) return NAN;
  std::wstring t = text.substr(b, e - b);
  if (t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X')) {
    double v = 0;
    for (size_t i = 2; i < t.size(); ++i) {
      if (!std::iswxdigit(t[i])) return NAN;
      wchar_t c = std::towlower(t[i]);
      v = v * 16 + (c <= L'9' ? c - L'0' : c - L'a' + 10);
    }
    return v;
  }
  // Only plain decimal forms: no "inf", "nan" or hex floats that wcstod would also take.
  for (wchar_t c : t)
    if (!(std::iswdigit(c) || c == L'.' || c == L'-' || c == L'+' || c == L'e' || c == L'E'))
      return NAN;
  wchar_t* end = nullptr;
  double v = std::wcstod(t.c_str(), &end);
  if (end != t.c_str() + t.size()) return NAN;
  return v;
}

double ParseIntText(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i >= text.size() || !std::iswdigit(text[i])) return NAN;
  double v = 0;
  while (i < text.size() && std::iswdigit(text[i])) v = v * 10 + (text[i++] - L'0');
  return negative ? -v : v;
}

std::wstring NumberToText(double value) {
  if (std::isnan(value)) return L"NaN";
  if (std::isinf(value)) return value > 0 ? L"Infinity" : L"-Infinity";
  wchar_t buffer[64];
  if (value == std::floor(value) && std::fabs(value) < 1e15)
    std::swprintf(buffer, 64, L"%lld", static_cast<long long>(value));
  else
    std::swprintf(buffer, 64, L"%.15g", value);
  return buffer;
}

bool TextEquals(const std::wstring& text, double number) { return TextToNumber(text) == number; }

FitRect FitPicture(double W, double H, double ratio) {
  FitRect r{0, 0, 0, 0};
  if (!(W > 0) || !(H > 0)) return r;
  if (!(ratio > 0) || std::isinf(ratio)) return FitRect{0, 0, W, H};
  if (ratio < H / W) {
    r.width = W;
    r.height = W * ratio;
  } else {
    r.height = H;
    r.width = H / ratio;
  }
  r.x = (W - r.width) / 2;
  r.y = (H - r.height) / 2;
  return r;
}

int ScalerFlags(bool smoothing, int quality) {
  if (!smoothing) return SWS_POINT;
  switch (quality) {
    case 0: return SWS_FAST_BILINEAR;
    case 1: return SWS_BILINEAR;
    case 2: return SWS_BICUBIC;
    default: return SWS_LANCZOS;
  }
}

int DeblockingLevel(double value) {
  if (value == 0) return 0;
  if (value == 1) return 1;
  return 5;
}

int SkipLoopFilterFor(int level) {
  if (level == 1) return AVDISCARD_ALL;
  if (level == 5) return AVDISCARD_NONE;
  return AVDISCARD_DEFAULT;
}
