#include "engine/player/movie_values.h"

#include <charconv>
#include <cmath>
#include <cwchar>

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
// ASCII only: the C library's classes hold other scripts' digits too on some systems.
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
int HexDigit(wchar_t c) {
  if (IsDigit(c)) return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}
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
      int d = HexDigit(t[i]);
      if (d < 0) return NAN;
      v = v * 16 + d;
    }
    return v;
  }
  // Only plain decimal forms: no "inf", "nan" or hex floats that wcstod would also take.
  for (wchar_t c : t)
    if (!(IsDigit(c) || c == L'.' || c == L'-' || c == L'+' || c == L'e' || c == L'E'))
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
  if (i >= text.size() || !IsDigit(text[i])) return NAN;
  double v = 0;
  while (i < text.size() && IsDigit(text[i])) v = v * 10 + (text[i++] - L'0');
  return negative ? -v : v;
}

// to_chars prints as %lld and %.15g do, without MinGW's printf conversion, which takes a lock
// shared by every thread that prints a number and may allocate: the host asks for the time often.
std::wstring NumberToText(double value) {
  if (std::isnan(value)) return L"NaN";
  if (std::isinf(value)) return value > 0 ? L"Infinity" : L"-Infinity";
  char buffer[64];
  std::to_chars_result r = value == std::floor(value) && std::fabs(value) < 1e15
                               ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value))
                               : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::wstring(buffer, r.ptr);
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
