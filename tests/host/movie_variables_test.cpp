// Values crossing between host and movie: the text-to-integer rule, and no engine, no access.
#include "engine/movie_variables.h"
#include "test_support.h"

TEST(MovieText, ReadsTheLeadingIntegerAndSaturates)
{
    struct Row {
        const wchar_t* text;
        int value;
    } rows[] = {{L"12.9", 12}, {L"0.4", 0},  {L"  \t42", 42}, {L"-3x", -3},
                {L"+7", 7},    {L"abc", 0}, {L"- 5", 0},     {L"99999999999999999999", 2147483647},
                {L"-99999999999999999999", -2147483647 - 1}};
    for (Row r : rows)
        EXPECT_EQ(MovieTextToInt(r.text), r.value) << r.text;
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
