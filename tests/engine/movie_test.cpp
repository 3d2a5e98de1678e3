// The player movie file and the number rules, without playback.
#include <cmath>

#include "engine/player/movie_file.h"
#include "engine/player/movie_values.h"
#include "engine_test_support.h"

namespace {

Bytes Cut(const Bytes& b, size_t size) { return Bytes(b.begin(), b.begin() + size); }
Bytes Changed(Bytes b, size_t at, uint8_t value) { b[at] = value; return b; }
Bytes Scrambled(Bytes b) {
  for (size_t i = 12; i < b.size(); i += 7) b[i] ^= 0x5A;
  return b;
}

}  // namespace

// Only whole, well-formed movies are taken. (Movies past the reader's limits, and the memory a
// parse may ask for: the movie fuzzer's seeds and its allocation limit, tools/fuzz.sh.)
TEST(MovieFile, RefusesDamagedMovies) {
  const Bytes real = ReadClip(L"Nimbrel.swf");
  ASSERT_GT(real.size(), 8u);
  const struct { const char* name; Bytes bytes; bool accepted; } cases[] = {
      {"the real movie", real, true},
      {"empty", {}, false},
      {"cut in the header", Cut(real, 8), false},
      {"last byte missing", Cut(real, real.size() - 1), false},
      {"scrambled", Scrambled(real), false},
      {"foreign signature", Changed(real, 0, 'X'), false},
      {"declared length one more", Changed(real, 4, real[4] + 1), false},
  };
  for (const auto& c : cases) {
    MovieFile m;
    EXPECT_EQ(ParseMovieFile(c.bytes, &m), c.accepted) << c.name;
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
