#include "host_support.h"

#include "engine/player/media_engine.h"
#include "engine/video_panel.h"

std::wstring Clip(const wchar_t* name)
{
    std::wstring path = L"" TEST_MEDIA L"/";
    path += name;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

bool PumpUntil(const std::function<bool()>& done, int ms)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if ((int)(GetTickCount() - start) > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

std::wstring EngineValue(const wchar_t* name)
{
    std::wstring value;
    if (PanelEngine())
        GetVariable(PanelEngine(), name, &value);
    return value;
}
