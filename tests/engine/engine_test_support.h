// A parent window with a real engine in it, and waiting by pumping messages.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/player/media_engine.h"

std::wstring MediaPath(const wchar_t* name);  // a file of the build's media folder
void Pump(double seconds);
// Pumps messages until condition holds or the deadline passes; returns the condition.
bool WaitFor(const std::function<bool()>& condition, double seconds = 10);
long HostInt(const std::wstring& text);  // the host's text-to-integer rule

// Files made in the test from the build's clips.
std::vector<uint8_t> ReadClip(const wchar_t* clip);
std::wstring WriteClip(const wchar_t* name, const std::vector<uint8_t>& bytes);  // returns its path
// An FLV file's tags (type 8 audio, 9 video, 18 script), and writing tags back into a file.
struct FlvTag {
  uint8_t type;
  uint32_t time;  // milliseconds
  std::vector<uint8_t> data;
};
std::vector<FlvTag> FlvTags(const std::vector<uint8_t>& file);
std::vector<uint8_t> FlvFile(const std::vector<FlvTag>& tags);

// The sound on its way to the device, through the engine's audio tap.
struct SoundTap {
  std::atomic<long> frames{0};
  std::atomic<float> peak{0};
  static void Tap(void* context, const float* samples, int frames, int channels);
  void Reset() { frames = 0; peak = 0; }
  double Seconds() const { return frames / 48000.0; }  // at the usual device rate
};

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
  bool WaitForTime(double time, double seconds = 10);  // until ns.time passes time
  bool WaitForEnd(double seconds = 10);                // until state_playstop is 1
  COLORREF Pixel(int x, int y);                // as the window shows it
  void Resize(int width, int height);          // parent and engine, as the host does
};
