// The host's only access to the player movie: named variables whose values cross as text.
#pragma once
#include <windows.h>

#include "engine/variable_text.h"

enum MovieVariable {
    MoviePause = 1,
    MovieSeek = 2,
    MovieVolume = 3,
    MovieQuality = 4,
    MovieSmoothing = 5,
    MovieStop = 6,
    MoviePlayStop = 7,
    MovieFile = 8,
    MovieAspect = 9,
    MovieTime = 10,
    MovieDuration = 11,
    MovieWidth = 12,
    MovieHeight = 13,
    MovieDeblocking = 14,
};

// Writes a command variable: the path for MovieFile, the number as decimal text otherwise.
// False (and nothing sent) for a kind that is not written, with no engine, or an empty value.
bool SetMovieVariable(MovieVariable kind, int number, const wchar_t* path);
// Reads a status variable into value; false leaves value untouched (no engine, no value).
bool GetMovieVariable(MovieVariable kind, int* value);
