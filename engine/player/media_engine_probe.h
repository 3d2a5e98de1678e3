// What tests and the benchmark may see of an engine beyond its operations.
#pragma once
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
};
MediaEngineCounters MediaEngineGetCounters(MediaEngine* engine);
// Shows every frame as soon as it is decoded, ignoring the clock (benchmark only).
void MediaEngineSetUnpaced(MediaEngine* engine, bool unpaced);

// Test hooks. The sound device the next file opens (1 WASAPI, 2 waveOut, 3 the silent clock,
// 0 the best there is).
void MediaEngineUseAudioDevice(MediaEngine* engine, int device);
// The open sound device reports itself lost at its next use, as an unplugged one does.
void MediaEngineLoseAudioDevice(MediaEngine* engine);
// Slows the video decoder down by this much per picture, as a weak machine would.
void MediaEngineSetDecodeDelay(MediaEngine* engine, int milliseconds);
