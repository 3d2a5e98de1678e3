// Helpers for driving the program with the real engine: clips, waiting on the message loop.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Full Windows path of a generated test clip.
std::wstring Clip(const wchar_t* name);
// Delivers messages (the monitor's timer among them) until done() holds or ms pass.
bool PumpUntil(const std::function<bool()>& done, int ms);
// A value of the engine's movie read directly ("" when absent).
std::wstring EngineValue(const wchar_t* name);
