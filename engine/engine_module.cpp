#include "engine/engine_module.h"

#include "engine/player/media_engine.h"

static struct {
    bool Started;
} M;

HRESULT InitEngineModule()
{
    M = {};
    return S_OK;
}

bool RegisterEngineHost(HINSTANCE instance)
{
    M.Started = SUCCEEDED(MediaEngineStartup(instance));
    return M.Started;
}

void TermEngineModule()
{
    if (M.Started)
        MediaEngineShutdown();
    M.Started = false;
}
