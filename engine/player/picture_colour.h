// Which colour conversion a picture needs: read from its own tags, guessed from its size where
// it has none.
#pragma once

struct AVFrame;

// A picture's tags, as FFmpeg's enum values (AVColorSpace, AVColorRange, AVColorPrimaries,
// AVColorTransferCharacteristic, AVPixelFormat).
struct ColourTags {
  int space = 2, range = 0, primaries = 2, transfer = 2, format = 0;
  int width = 0, height = 0;
};

struct PictureColour {
  int matrix = 5;             // the AVColorSpace whose coefficients convert YUV to RGB
  bool fullRange = false;     // 0-255 rather than 16-235
  bool deep = false;          // more than 8 bits a sample: converted at full precision
  bool operator==(const PictureColour&) const = default;
};

PictureColour ChooseColour(const ColourTags& tags);
ColourTags TagsOf(const AVFrame* frame);
