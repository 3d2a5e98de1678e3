// Values crossing between host and movie: the text-to-integer rule, and no engine, no access.
#include <gtest/gtest.h>

#include "engine/movie_variables.h"

TEST(MovieText, ReadsTheLeadingInteger)
{
    EXPECT_EQ(MovieTextToInt(L"12.9"), 12);
    EXPECT_EQ(MovieTextToInt(L"0.4"), 0);
    EXPECT_EQ(MovieTextToInt(L"  \t42"), 42);
    EXPECT_EQ(MovieTextToInt(L"-3x"), -3);
    EXPECT_EQ(MovieTextToInt(L"+7"), 7);
    EXPECT_EQ(MovieTextToInt(L"abc"), 0);
    EXPECT_EQ(MovieTextToInt(L"- 5"), 0);
    EXPECT_EQ(MovieTextToInt(L"99999999999999999999"), 2147483647);  // saturates, no overflow
    EXPECT_EQ(MovieTextToInt(L"-99999999999999999999"), -2147483647 - 1);
}

TEST(MovieText, NothingCrossesWithoutAnEngine)
{
    int value = 77;
    EXPECT_FALSE(GetMovieVariable(MovieWidth, &value));
    EXPECT_EQ(value, 77);
    EXPECT_FALSE(SetMovieVariable(MovieStop, 1, nullptr));
    EXPECT_FALSE(SetMovieVariable(MovieTime, 1, nullptr));  // a status, never written
    EXPECT_FALSE(GetMovieVariable(MoviePause, &value));     // a command, never read
}
