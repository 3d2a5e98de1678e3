// A parent window with a real engine in it, the build's clips, and waits that pump messages.
#pragma once
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cwchar>

#include "engine/player/media_engine_probe.h"
#include "engine/variable_text.h"  // the host's reading of a value
#include "test_files.h"

using Bytes = std::vector<uint8_t>;
Bytes ReadClip(const wchar_t* clip);
std::wstring WriteClip(const wchar_t* name, const Bytes& bytes);  // into the media folder; its path
// Cut to size bytes (0: half) and garbage noise added, or every 97th byte from a third scrambled.
Bytes Damaged(const wchar_t* clip, size_t size, size_t garbage = 0, bool scramble = false);
inline bool WaitFor(const std::function<bool()>& condition, double seconds = 10) {
  return PumpUntil(condition, static_cast<int>(seconds * 1000));
}
inline void Pump(double seconds) { WaitFor([] { return false; }, seconds); }

// The sound on its way to the device, through the engine's audio tap.
struct SoundTap {
  std::atomic<long> frames{0};
  std::atomic<float> peak{0};            // of every channel: full scale (1) clips
  std::atomic<float> left{0}, right{0};  // the first two channels' peaks
  std::atomic<long> rises{0};            // the first channel's upward zero crossings
  std::atomic<float> last{0};
  void Reset() { frames = 0, peak = left = right = 0, rises = 0; }
  double Seconds() const { return frames / 48000.0; }  // at the usual device rate
};

struct Stage {
  HWND parent = nullptr;
  MediaEngine* engine = nullptr;
  SoundTap tap;  // fed after Listen(); outlives the engine
  explicit Stage(int width = 800, int height = 450);
  ~Stage();
  void Listen();
  HWND Window() const { return GetWindow(parent, GW_CHILD); }
  MediaEngineCounters Counters() const { return MediaEngineGetCounters(engine); }
  std::wstring Get(const wchar_t* name) { std::wstring v; GetVariable(engine, name, &v); return v; }
  double Number(const wchar_t* name) {  // NaN when absent
    std::wstring v = Get(name);
    return v.empty() ? NAN : std::wcstod(v.c_str(), nullptr);
  }
  void Set(const wchar_t* name, const std::wstring& value) { SetVariable(engine, name, value.c_str()); }
  void PlayFile(const wchar_t* clip) { Set(L"state_file", Clip(clip)); }
  bool WaitForTime(double time, double s = 10) { return WaitFor([&] { return Number(L"ns.time") > time; }, s); }
  bool WaitForEnd(double s = 10) { return WaitFor([&] { return Get(L"state_playstop") == L"1"; }, s); }
  COLORREF Pixel(int x, int y);  // as the window shows it
};
