#include "engine/engine_module.h"

static struct {
    bool Registered;
} M;

HRESULT InitEngineModule()
{
    M = {};
    return S_OK;
}

bool RegisterEngineHost(HINSTANCE)
{
    M.Registered = true;
    return true;
}

void TermEngineModule()
{
    M.Registered = false;
}
