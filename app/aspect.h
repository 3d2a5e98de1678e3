// Aspect ratios, kept as width * 1000 + height, and the size arithmetic built on them.
#pragma once
#include <windows.h>

#include "app/aspect_sizes.h"

// The video's size as the movie reports it (0 until known).
extern int VideoWidth;
extern int VideoHeight;
// The chosen aspect preset, 0 ("通常") to 10; not saved.
extern int AspectIndex;
// The percentage at which the picture is shown; 0 while no video size is known.
extern int ZoomPercent;

// The video's own reduced ratio, exact even when a term is too big to encode.
extern AspectPair NaturalRatio;

// Video size and the zoom computed from it back to unknown (a new file, a fresh start).
void ResetVideoSize();
// The preset back to "通常" and no ratio known, for a fresh start-up.
void ResetAspect();

// The pair of aspect slot 0..10 (0 is the video's own ratio); (0, 0) for any other index.
AspectPair DecodeAspect(int slot);
// Labels the ten aspect slot items from the settings: "A ： B", or a disabled "---".
void WriteAspectItemLabels();
// Command 40080..40090: chooses the preset and sends it to the movie.
void ChooseAspect(UINT id);

// ShownPixelSize and PresetPixelSizes (aspect_sizes.h) as the system's SIZE.
SIZE ShownSizeFor(int videoWidth, AspectPair ratio, int zoom);
bool PresetSizesFor(int videoWidth, AspectPair ratio, SIZE sizes[5]);

// NaturalRatio and slot 0 from VideoWidth and VideoHeight.
void ComputeNaturalRatio();
// ZoomPercent from the video size, the chosen preset and VideoPanel's outer size.
void ComputeZoomPercent();
// The shown picture size for the current video, preset and ZoomPercent.
SIZE ShownPictureSize();
