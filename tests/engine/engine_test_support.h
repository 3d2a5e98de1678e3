// A parent window with a real engine in it, and waiting by pumping messages.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "engine/player/media_engine.h"

std::wstring MediaPath(const wchar_t* name);  // a file of the build's media folder
void Pump(double seconds);
// Pumps messages until condition holds or the deadline passes; returns the condition.
bool WaitFor(const std::function<bool()>& condition, double seconds = 10);
long HostInt(const std::wstring& text);  // the host's text-to-integer rule

struct Stage {
  HWND parent = nullptr;
  MediaEngine* engine = nullptr;
  explicit Stage(int width = 800, int height = 450);
  ~Stage();
  HWND Window() const { return GetWindow(parent, GW_CHILD); }
  std::wstring Get(const wchar_t* name);
  double Number(const wchar_t* name);  // NaN when absent
  void Set(const wchar_t* name, const std::wstring& value);
  void PlayFile(const wchar_t* clip) { Set(L"state_file", MediaPath(clip)); }
  bool WaitForMetadata(double seconds = 10);  // until state_duration is set
  COLORREF Pixel(int x, int y);                // as the window shows it
  void Resize(int width, int height);          // parent and engine, as the host does
};
