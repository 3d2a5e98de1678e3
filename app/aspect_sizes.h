// The size arithmetic of aspect ratios, kept as width * 1000 + height: the ratio, the zoom,
// the shown size, the window-size presets. Sizes are in pixels. Portable: no Windows header
// (tools/fuzz.sh builds it natively).
#pragma once

struct AspectPair {
    int Width, Height;
};

struct PixelSize {
    int cx, cy;
};

// Decodes v into width (v / 1000) mod 1000 and height v mod 1000, truncating toward zero.
AspectPair DecodeAspectValue(int v);
// A ratio is usable when both terms are positive.
bool UsableRatio(AspectPair p);
AspectPair ReduceRatio(int width, int height);  // (0, 0) unless both are positive
// Scale at which videoWidth x (its height at ratio) fits the panel uncropped; 0 when unknown.
int ZoomPercentFor(int videoWidth, int videoHeight, AspectPair ratio, int panelWidth, int panelHeight);
// The picture's size on screen at zoom percent.
PixelSize ShownPixelSize(int videoWidth, AspectPair ratio, int zoom);
// The five window-size presets (25, 50, 100, 150, 200 %); false when the ratio or size is unknown.
bool PresetPixelSizes(int videoWidth, AspectPair ratio, PixelSize sizes[5]);
// A side of the window a preset asks for, held to 0..32767: a huge video or playlist width
// must not overflow, and no window gets bigger than this anyway.
int FitWindowSide(long long v);
