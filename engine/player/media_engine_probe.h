// What tests, the benchmark and the media fuzz host may see and set of an engine beyond its
// operations. Only the engine they link (nimbrel_engine_probe) has it; the program's has none.
#pragma once
#ifndef NIMBREL_ENGINE_PROBE
#error "the engine's probe is for the test build only (link nimbrel_engine_probe)"
#endif
#include "engine/player/media_engine.h"

// Receives the samples on their way to the sound device, after the volume (any thread).
using MediaEngineAudioTap = void (*)(void* context, const float* samples, int frames, int channels);
void MediaEngineSetAudioTap(MediaEngine* engine, MediaEngineAudioTap tap, void* context);

struct MediaEngineCounters {
  long framesShown;      // converted and handed to the window
  long framesDropped;    // skipped because they were late
  long framesPainted;    // drawn by the window (several handed over between two paints count once)
  long packetsHeldPeak;  // the most packets the reader has held in its queues at once
  long audioOpens;       // sound devices opened (a lost one opened again counts too)
  int audioDevice;       // the open one: 0 none yet, 1 WASAPI, 2 waveOut, 3 the silent clock
  double shownTime;      // position of the newest picture shown
  size_t pictureBytes;   // held by the pictures handed to the window (none while stopped)
  long sessionsOpen;     // files open in the engine; a stopped one counts until it is wholly closed
  long pictureGiveUps;   // picture streams taken for decoding nothing (the sound played alone)
  long pictureTimes;     // pictures handed to the window on their time (none after a start),
  double lateSum, lateMax;  // and the seconds past their time when they were
};
MediaEngineCounters MediaEngineGetCounters(MediaEngine* engine);
// Shows every frame as soon as it is decoded, ignoring the clock (benchmark only).
void MediaEngineSetUnpaced(MediaEngine* engine, bool unpaced);

// Test hooks. The sound device the next file opens (1 WASAPI, 2 waveOut, 3 the silent clock,
// 0 the best there is).
void MediaEngineUseAudioDevice(MediaEngine* engine, int device);
// While gone, every sound device is: the open one reports itself lost at its next use, as an
// unplugged one does, and none opens (the sound server went away) until it is back.
void MediaEngineSetAudioDeviceGone(MediaEngine* engine, bool gone);
// The video decoder of the next file gets this many threads (0: one per core), as a machine with
// that many cores would give it.
void MediaEngineSetDecoderThreads(MediaEngine* engine, int threads);
