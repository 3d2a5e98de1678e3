// Sound devices for the audio thread: WASAPI shared mode, waveOut when that fails, and a silent
// device timed by the system clock when there is no device at all. All take interleaved float
// samples at the device's rate and channel count, in the order of its speaker mask.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/player/playback.h"

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  int rate = 48000, channels = 2;
  uint32_t channelMask = 0x3;  // the speakers (SPEAKER_FRONT_LEFT, ...); 0: the usual ones for the count
  AudioDevice kind = AudioDevice::Silent;
  virtual int Writable() = 0;                        // frames that can be written now
  virtual void Write(const float* samples, int frames) = 0;
  virtual double Delay() = 0;                        // seconds written but not yet heard
  virtual void SetPaused(bool paused) = 0;
  virtual void Flush() = 0;  // drop everything not yet heard; the device is then running
  virtual bool Silent() const { return false; }      // true for the clock-timed stand-in
  // The device went away (unplugged, default device changed, sound server restarted): it takes
  // no more samples and the output should be opened again.
  std::atomic<bool> lost{false};
};

// Opens the device asked for, or the best there is; never fails (the last resort is the silent
// one). Call on the thread that will use it (it initialises COM there).
std::unique_ptr<AudioOutput> OpenAudioOutput(AudioDevice device = AudioDevice::Best);
