// The player movie file and the number rules, without playback.
#include <cmath>

#include "engine/player/movie_file.h"
#include "engine/player/movie_values.h"
#include "engine_test_support.h"

// Only whole, well-formed movies are taken (past the reader's limits: the movie fuzzer).
TEST(MovieFile, RefusesDamagedMovies) {
  const Bytes real = ReadClip(L"Nimbrel.swf");
  ASSERT_GT(real.size(), 8u);
  auto changed = [&](size_t at, uint8_t value) { Bytes b = real; return b[at] = value, b; };
  Bytes scrambled = real;
  for (size_t i = 12; i < scrambled.size(); i += 7) scrambled[i] ^= 0x5A;
  const struct { const char* name; Bytes bytes; bool accepted; } cases[] = {
      {"the real movie", real, true},        {"empty", {}, false},
      {"cut in the header", Bytes(real.begin(), real.begin() + 8), false},
      {"last byte missing", Bytes(real.begin(), real.end() - 1), false},
      {"scrambled", scrambled, false},       {"foreign signature", changed(0, 'X'), false},
      {"declared length one more", changed(4, real[4] + 1), false},
  };
  for (const auto& c : cases) {
    MovieFile m;
    EXPECT_EQ(ParseMovieFile(c.bytes, &m), c.accepted) << c.name;
  }
}

// The edge cases; other scripts' digits are no digits, whatever the C library says.
TEST(MovieValues, NumbersReadAndPrintLikeTheMovie) {
  EXPECT_EQ(TextToNumber(L" 12.75 "), 12.75);
  EXPECT_EQ(TextToNumber(L"0x1A"), 26);
  EXPECT_EQ(ParseIntText(L" -4003xyz"), -4003);
  for (double nan : {TextToNumber(L""), TextToNumber(L"12abc"), ParseIntText(L"x1"), ParseIntText(L"\x0663"),
                     TextToNumber(L"0x\xFF21")})
    EXPECT_TRUE(std::isnan(nan));
  EXPECT_EQ(NumberToText(12.9) + L" " + NumberToText(NAN), L"12.9 NaN");
}
