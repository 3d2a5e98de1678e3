// Sound devices for the audio thread: WASAPI shared mode, waveOut when that fails, and a silent
// device timed by the system clock when there is no device at all. All take interleaved float
// samples at the device's rate and channel count.
#pragma once
#include <cstdint>
#include <memory>

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  int rate = 48000, channels = 2;
  virtual int Writable() = 0;                        // frames that can be written now
  virtual void Write(const float* samples, int frames) = 0;
  virtual double Delay() = 0;                        // seconds written but not yet heard
  virtual void SetPaused(bool paused) = 0;
  virtual void Flush() = 0;                          // drop everything not yet heard
  virtual bool Silent() const { return false; }      // true for the clock-timed stand-in
};

// Opens the best device there is; never fails (the last resort is the silent one).
// Call on the thread that will use it (it initialises COM there).
std::unique_ptr<AudioOutput> OpenAudioOutput();
