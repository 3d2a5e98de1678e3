// The player movie file, the number rules and the picture fit, without playback.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

extern "C" {
#include <libswscale/swscale.h>
}

#include "engine/player/movie_file.h"
#include "engine/player/movie_values.h"
#include "engine_test_support.h"

namespace {

std::vector<uint8_t> MovieBytes() {
  std::ifstream in(MediaPath(L"Nimbrel.swf").c_str(), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::wstring WriteTemp(const wchar_t* name, const std::vector<uint8_t>& bytes) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + name;
  std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

}  // namespace

TEST(MovieFile, ReadsStageVideoObjectAndDeclarations) {
  auto bytes = MovieBytes();
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "CWS");
  MovieFile m;
  ASSERT_TRUE(ParseMovieFile(bytes, &m));
  EXPECT_EQ(m.version, 8);
  EXPECT_EQ(m.stageWidth, 160);
  EXPECT_EQ(m.stageHeight, 120);
  EXPECT_EQ(m.frameRate, 24);
  EXPECT_EQ(m.frameCount, 1);
  EXPECT_EQ(m.videoName, L"imovie");
  EXPECT_EQ(m.videoWidth, 160);
  ASSERT_EQ(m.variables.size(), 18u);
  EXPECT_EQ(m.variables.front(), std::make_pair(std::wstring(L"state_file"), std::wstring()));
  EXPECT_EQ(m.variables[10], std::make_pair(std::wstring(L"state_volume"), std::wstring(L"100")));
  EXPECT_EQ(m.variables[15], std::make_pair(std::wstring(L"state_asp"), std::wstring(L"0.75")));
}

TEST(MovieFile, RejectsTruncatedCorruptAndForeignFiles) {
  auto bytes = MovieBytes();
  MovieFile m;
  for (size_t cut : {size_t(0), size_t(3), size_t(8), bytes.size() / 2, bytes.size() - 1}) {
    std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
    EXPECT_FALSE(ParseMovieFile(part, &m)) << "cut at " << cut;
  }
  auto corrupt = bytes;
  for (size_t i = 12; i < corrupt.size(); i += 7) corrupt[i] ^= 0x5A;
  EXPECT_FALSE(ParseMovieFile(corrupt, &m));
  auto foreign = bytes;
  foreign[0] = 'X';
  EXPECT_FALSE(ParseMovieFile(foreign, &m));
  auto longer = bytes;
  longer[4] += 1;  // declared length no longer matches the body
  EXPECT_FALSE(ParseMovieFile(longer, &m));
}

TEST(MovieFile, LoadingFailsForMissingEmptyOrCorruptFile) {
  Stage stage;
  ASSERT_NE(stage.engine, nullptr);
  EXPECT_TRUE(SUCCEEDED(put_Movie(stage.engine, MediaPath(L"Nimbrel.swf").c_str())));
  EXPECT_FALSE(SUCCEEDED(put_Movie(stage.engine, MediaPath(L"no-such-movie.swf").c_str())));
  EXPECT_FALSE(SUCCEEDED(put_Movie(stage.engine, WriteTemp(L"empty-movie.swf", {}).c_str())));
  auto bytes = MovieBytes();
  bytes.resize(bytes.size() - 10);
  EXPECT_FALSE(SUCCEEDED(put_Movie(stage.engine, WriteTemp(L"cut-movie.swf", bytes).c_str())));
  MediaEngine* fresh = CreateMediaEngine(stage.parent);
  EXPECT_FALSE(SUCCEEDED(Play(fresh)));  // nothing loaded: nothing to start
  Release(fresh);
}

TEST(MovieValues, NumbersReadAndPrintLikeTheMovie) {
  EXPECT_EQ(TextToNumber(L"0"), 0);
  EXPECT_EQ(TextToNumber(L" 12.75 "), 12.75);
  EXPECT_EQ(TextToNumber(L"0x1A"), 26);
  EXPECT_TRUE(std::isnan(TextToNumber(L"")));
  EXPECT_TRUE(std::isnan(TextToNumber(L"12abc")));
  EXPECT_TRUE(TextEquals(L"0", 0));
  EXPECT_FALSE(TextEquals(L"", 0));
  EXPECT_EQ(ParseIntText(L"16009"), 16009);
  EXPECT_EQ(ParseIntText(L" -4003xyz"), -4003);
  EXPECT_TRUE(std::isnan(ParseIntText(L"x1")));
  EXPECT_EQ(NumberToText(160), L"160");
  EXPECT_EQ(NumberToText(0.75), L"0.75");
  EXPECT_EQ(NumberToText(12.9), L"12.9");
  EXPECT_EQ(NumberToText(9.0 / 16), L"0.5625");
  EXPECT_EQ(NumberToText(NAN), L"NaN");
}

TEST(MovieValues, FitCentresThePictureWithBars) {
  FitRect r = FitPicture(800, 450, 3.0 / 4);
  EXPECT_DOUBLE_EQ(r.width, 600);
  EXPECT_DOUBLE_EQ(r.height, 450);
  EXPECT_DOUBLE_EQ(r.x, 100);
  EXPECT_DOUBLE_EQ(r.y, 0);
  r = FitPicture(800, 450, 9.0 / 21);
  EXPECT_DOUBLE_EQ(r.width, 800);
  EXPECT_DOUBLE_EQ(r.height, 800.0 * 9 / 21);
  EXPECT_DOUBLE_EQ(r.x, 0);
  EXPECT_DOUBLE_EQ(r.y, (450 - 800.0 * 9 / 21) / 2);
  r = FitPicture(800, 450, 9.0 / 16);
  EXPECT_DOUBLE_EQ(r.width, 800);
  EXPECT_DOUBLE_EQ(r.height, 450);
  r = FitPicture(0, 0, 0.75);
  EXPECT_EQ(r.width, 0);
}

TEST(MovieValues, PictureSettingsMapOntoScalerAndDecoder) {
  EXPECT_EQ(ScalerFlags(false, 3), SWS_POINT);
  EXPECT_EQ(ScalerFlags(true, 0), SWS_FAST_BILINEAR);
  EXPECT_EQ(ScalerFlags(true, 1), SWS_BILINEAR);
  EXPECT_EQ(ScalerFlags(true, 2), SWS_BICUBIC);
  EXPECT_EQ(ScalerFlags(true, 3), SWS_LANCZOS);
  EXPECT_EQ(DeblockingLevel(0), 0);
  EXPECT_EQ(DeblockingLevel(1), 1);
  EXPECT_EQ(DeblockingLevel(2), 5);
  EXPECT_EQ(DeblockingLevel(NAN), 5);
}
