#include "app/keep_awake.h"

#include <utility>

static struct {
    ExecutionStateHandler Handler = SetThreadExecutionState;
    bool Awake;  // what the system was last asked for
} K;

ExecutionStateHandler SetExecutionStateHandler(ExecutionStateHandler handler)
{
    return std::exchange(K.Handler, handler ? handler : SetThreadExecutionState);
}

void KeepAwake(bool playing)
{
    if (playing == K.Awake)
        return;
    K.Awake = playing;
    K.Handler(ES_CONTINUOUS | (playing ? ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : 0));
}

bool RefusesScreenBlanking(WPARAM command, LPARAM lParam, bool playing, bool fullScreen)
{
    UINT sc = (UINT)(command & 0xFFF0);
    bool blanks = sc == SC_SCREENSAVE || (sc == SC_MONITORPOWER && lParam != -1);  // -1: the monitor on
    return blanks && playing && fullScreen;
}
