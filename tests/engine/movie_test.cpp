// The player movie file and the number rules, without playback.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/player/movie_file.h"
#include "engine/player/movie_values.h"
#include "engine_test_support.h"

// The replacements below pair malloc and free themselves; GCC takes them for the standard pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// The heap the measured thread holds at most: every allocation of the test program carries its
// size, so a parse's largest hold is seen whether it accepts the file or not.
static std::atomic<DWORD> gMeasured{0};
static size_t gHeld = 0, gPeak = 0;
void* operator new(size_t n) {
  auto* p = static_cast<size_t*>(std::malloc(n + 16));
  if (!p) throw std::bad_alloc();
  if ((p[0] = gMeasured == GetCurrentThreadId() ? n : 0)) gPeak = std::max(gPeak, gHeld += n);
  return p + 2;
}
void operator delete(void* q) noexcept {
  if (!q) return;
  auto* p = static_cast<size_t*>(q) - 2;
  if (p[0] && gMeasured == GetCurrentThreadId()) gHeld -= p[0];
  std::free(p);
}
void operator delete(void* q, size_t) noexcept { operator delete(q); }

namespace {

Bytes operator+(Bytes a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); return a; }
Bytes Le(size_t v, int n) { Bytes b; while (n--) { b.push_back(v & 0xFF); v >>= 8; } return b; }
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()) + Bytes{0}; }
Bytes Tag(int code, const Bytes& body) { return Le(code << 6 | 0x3F, 2) + Le(body.size(), 4) + body; }
Bytes Push(int count) {  // the strings v0, v1, ...
  Bytes values;
  for (int i = 0; i < count; ++i) values = values + Bytes{0, 'v'} + Text(std::to_string(i));
  return Bytes{0x96} + Le(values.size(), 2) + values;
}
Bytes Repeat(const Bytes& b, int count) { return count > 0 ? b + Repeat(b, count - 1) : Bytes{}; }
Bytes Declarations(int count) { return Repeat(Push(2) + Bytes{0x1D}, count); }
// A body like the real movie's: a 160 x 120 stage at 24 frames a second, the video object, the
// frame's actions and the extra tags.
Bytes Body(const Bytes& actions, const Bytes& extra = {}) {
  return Bytes{0x68, 0x00, 0x19, 0x00, 0x00, 0x04, 0xB0, 0x00, 0x00, 0x18, 0x01, 0x00} +
         Tag(60, {1, 0, 0, 0, 160, 0, 120, 0, 0, 0}) +
         Tag(26, Bytes{0x22, 0xFF, 0x3F, 1, 0} + Text("imovie")) +
         Tag(12, actions + Bytes{0}) + extra + Tag(1, {}) + Tag(0, {});
}
// The body compressed under the declared length (0: the true one).
Bytes Movie(const Bytes& body, size_t declared = 0) {
  uLongf size = compressBound(body.size());
  Bytes packed(size);
  compress2(packed.data(), &size, body.data(), body.size(), 1);
  packed.resize(size);
  return Bytes{'C', 'W', 'S', 8} + Le(declared ? declared : 8 + body.size(), 4) + packed;
}
// Every limit reached: the stack full, the last declaration, the last tag, the whole length.
Bytes AtTheLimits() {
  Bytes actions = Push(kMovieMaxStack) + Bytes(kMovieMaxStack / 2, 0x1D) +
                  Declarations(kMovieMaxVariables - kMovieMaxStack / 2);
  Bytes tags = Repeat(Tag(9, {}), kMovieMaxTags - 6);
  size_t used = 8 + Body(actions, tags).size() + 6;
  return Movie(Body(actions, tags + Tag(9, Bytes(kMovieMaxLength - used))));
}
Bytes Changed(Bytes b, size_t at, uint8_t value) { b[at] = value; return b; }
Bytes Cut(const Bytes& b, size_t size) { return Bytes(b.begin(), b.begin() + size); }
Bytes Scrambled(Bytes b) {
  for (size_t i = 12; i < b.size(); i += 7) b[i] ^= 0x5A;
  return b;
}

}  // namespace

// Whatever the bytes, the parse holds little memory; only whole, well-formed movies within the
// limits are taken.
TEST(MovieFile, RefusesBadAndOversizedMoviesWithLittleMemory) {
  const Bytes real = ReadClip(L"Nimbrel.swf");
  ASSERT_GT(real.size(), 8u);
  const struct { const char* name; Bytes bytes; bool accepted; } cases[] = {
      {"the real movie", real, true},
      {"every limit reached", AtTheLimits(), true},
      {"empty", {}, false},
      {"cut in the header", Cut(real, 8), false},
      {"last byte missing", Cut(real, real.size() - 1), false},
      {"scrambled", Scrambled(real), false},
      {"foreign signature", Changed(real, 0, 'X'), false},
      {"declared length one more", Changed(real, 4, real[4] + 1), false},
      {"declares 64 MB, holds a few bytes", Movie(Body(Declarations(1)), 64 << 20), false},
      {"inflates to 48 MB", Movie(Body(Declarations(1), Tag(9, Bytes(48 << 20)))), false},
      {"stack past its limit", Movie(Body(Push(kMovieMaxStack + 1) + Bytes{0x1D})), false},
      {"declarations past their limit", Movie(Body(Declarations(kMovieMaxVariables + 1))), false},
      {"tags past their limit", Movie(Body(Declarations(1), Repeat(Tag(9, {}), kMovieMaxTags - 4))), false},
  };
  for (const auto& c : cases) {
    MovieFile m;
    gHeld = gPeak = 0;
    gMeasured = GetCurrentThreadId();
    bool accepted = ParseMovieFile(c.bytes, &m);
    gMeasured = 0;
    EXPECT_EQ(accepted, c.accepted) << c.name;
    EXPECT_LT(gPeak, 4 * kMovieMaxLength) << c.name;
  }
}

// The edge cases; plain numbers go both ways in Engine.VariablesReadBackAsTheHostWritesThem.
TEST(MovieValues, NumbersReadAndPrintLikeTheMovie) {
  EXPECT_EQ(TextToNumber(L" 12.75 "), 12.75);
  EXPECT_EQ(TextToNumber(L"0x1A"), 26);
  EXPECT_TRUE(std::isnan(TextToNumber(L"")));
  EXPECT_TRUE(std::isnan(TextToNumber(L"12abc")));
  EXPECT_EQ(ParseIntText(L" -4003xyz"), -4003);
  EXPECT_TRUE(std::isnan(ParseIntText(L"x1")));
  // Other scripts' digits are no digits, whatever the C library's classes say.
  EXPECT_TRUE(std::isnan(ParseIntText(L"\x0663")));
  EXPECT_TRUE(std::isnan(TextToNumber(L"0x\xFF21")));
  EXPECT_EQ(NumberToText(12.9), L"12.9");
  EXPECT_EQ(NumberToText(NAN), L"NaN");
}
