// What tests and the benchmark may see of an engine beyond its operations.
#pragma once
#include "engine/player/media_engine.h"

// Receives the samples on their way to the sound device, after the volume (any thread).
using MediaEngineAudioTap = void (*)(void* context, const float* samples, int frames, int channels);
void MediaEngineSetAudioTap(MediaEngine* engine, MediaEngineAudioTap tap, void* context);

struct MediaEngineCounters {
  long framesShown;    // converted and handed to the window
  long framesDropped;  // skipped because they were late
  long framesPainted;  // drawn by the window (several handed over between two paints count once)
};
MediaEngineCounters MediaEngineGetCounters(MediaEngine* engine);
// Shows every frame as soon as it is decoded, ignoring the clock (benchmark only).
void MediaEngineSetUnpaced(MediaEngine* engine, bool unpaced);
