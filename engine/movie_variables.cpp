#include "engine/movie_variables.h"

#include <stdio.h>

#include <string>

#include "app/app.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "resources/resource.h"

static UINT NameId(MovieVariable kind)
{
    switch (kind) {
    case MoviePause: return IDS_VAR_PAUSE;
    case MovieSeek: return IDS_VAR_SEEK;
    case MovieVolume: return IDS_VAR_VOLUME;
    case MovieQuality: return IDS_VAR_QUALITY;
    case MovieSmoothing: return IDS_VAR_SMOOTHING;
    case MovieStop: return IDS_VAR_STOP;
    case MoviePlayStop: return IDS_VAR_PLAYSTOP;
    case MovieFile: return IDS_VAR_FILE;
    case MovieAspect: return IDS_VAR_ASPECT;
    case MovieTime: return IDS_VAR_TIME;
    case MovieDuration: return IDS_VAR_DURATION;
    case MovieWidth: return IDS_VAR_WIDTH;
    case MovieHeight: return IDS_VAR_HEIGHT;
    case MovieDeblocking: return IDS_VAR_DEBLOCKING;
    }
    return 0;
}

static bool IsWritten(MovieVariable kind)
{
    switch (kind) {
    case MoviePause: case MovieSeek: case MovieVolume: case MovieQuality: case MovieSmoothing:
    case MovieStop: case MoviePlayStop: case MovieFile: case MovieAspect: case MovieDeblocking:
        return true;
    default:
        return false;
    }
}

static bool IsRead(MovieVariable kind)
{
    return kind == MoviePlayStop || kind == MovieTime || kind == MovieDuration || kind == MovieWidth ||
           kind == MovieHeight;
}

bool SetMovieVariable(MovieVariable kind, int number, const wchar_t* path)
{
    if (!IsWritten(kind))
        return false;
    wchar_t name[100];
    LoadText(NameId(kind), name, 100);
    std::wstring value;
    if (kind == MovieFile) {
        // The whole path goes to the movie: a cut path would name another file.
        value = path ? path : L"";
    } else {
        wchar_t text[32];
        _snwprintf(text, 32, L"%d", number);
        text[31] = L'\0';
        value = text;
    }
    MediaEngine* engine = PanelEngine();
    if (!engine || !name[0] || value.empty())
        return false;
    SetVariable(engine, name, value.c_str());
    return true;
}

bool GetMovieVariable(MovieVariable kind, int* value)
{
    if (!IsRead(kind))
        return false;
    MediaEngine* engine = PanelEngine();
    if (!engine)
        return false;
    wchar_t name[100];
    LoadText(NameId(kind), name, 100);
    std::wstring text;
    if (FAILED(GetVariable(engine, name, &text)) || text.empty())
        return false;
    *value = MovieTextToInt(text.c_str());
    return true;
}
