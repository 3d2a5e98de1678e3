// Aspect ratios, kept as width * 1000 + height.
#pragma once

// The video's size as the movie reports it (0 until known).
extern int VideoWidth;
extern int VideoHeight;
void ResetVideoSize();

struct AspectPair {
    int Width, Height;
};

// Decodes v into width (v / 1000) mod 1000 and height v mod 1000, truncating toward zero.
AspectPair DecodeAspectValue(int v);
// Labels the ten aspect slot items from the settings: "A ： B", or a disabled "---".
void WriteAspectItemLabels();
