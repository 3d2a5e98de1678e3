// Aspect ratios, kept as width * 1000 + height, and the size arithmetic built on them.
#pragma once
#include <windows.h>

// The video's size as the movie reports it (0 until known).
extern int VideoWidth;
extern int VideoHeight;
// The chosen aspect preset, 0 ("通常") to 10; not saved.
extern int AspectIndex;
// The percentage at which the picture is shown; 0 while no video size is known.
extern int ZoomPercent;

struct AspectPair {
    int Width, Height;
};

// The video's own reduced ratio, exact even when a term is too big to encode.
extern AspectPair NaturalRatio;

// Video size and the zoom computed from it back to unknown (a new file, a fresh start).
void ResetVideoSize();
// The preset back to "通常" and no ratio known, for a fresh start-up.
void ResetAspect();

// Decodes v into width (v / 1000) mod 1000 and height v mod 1000, truncating toward zero.
AspectPair DecodeAspectValue(int v);
// The pair of aspect slot 0..10 (0 is the video's own ratio); (0, 0) for any other index.
AspectPair DecodeAspect(int slot);
// Labels the ten aspect slot items from the settings: "A ： B", or a disabled "---".
void WriteAspectItemLabels();
// Command 40080..40090: chooses the preset and sends it to the movie.
void ChooseAspect(UINT id);

// Pure arithmetic. A ratio is usable when both terms are positive; sizes are in pixels.
AspectPair ReduceRatio(int width, int height);  // (0, 0) unless both are positive
// Scale at which videoWidth x (its height at ratio) fits the panel uncropped; 0 when unknown.
int ZoomPercentFor(int videoWidth, int videoHeight, AspectPair ratio, int panelWidth, int panelHeight);
// The picture's size on screen at zoom percent.
SIZE ShownSizeFor(int videoWidth, AspectPair ratio, int zoom);
// The five window-size presets (25, 50, 100, 150, 200 %); false when the ratio or size is unknown.
bool PresetSizesFor(int videoWidth, AspectPair ratio, SIZE sizes[5]);

// NaturalRatio and slot 0 from VideoWidth and VideoHeight.
void ComputeNaturalRatio();
// ZoomPercent from the video size, the chosen preset and VideoPanel's outer size.
void ComputeZoomPercent();
// The shown picture size for the current video, preset and ZoomPercent.
SIZE ShownPictureSize();
