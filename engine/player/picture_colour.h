// Which colour conversion a picture needs: read from its own tags, guessed from its size where
// it has none.
#pragma once

struct AVFrame;

enum class Transfer { Sdr, Pq, Hlg };

// A picture's tags, as FFmpeg's enum values (AVColorSpace, AVColorRange, AVColorPrimaries,
// AVColorTransferCharacteristic, AVPixelFormat).
struct ColourTags {
  int space = 2, range = 0, primaries = 2, transfer = 2, format = 0;
  int width = 0, height = 0;
  double peakNits = 0;  // the brightest the file says it holds; 0 when it does not say
};

struct PictureColour {
  int matrix = 5;             // the AVColorSpace whose coefficients convert YUV to RGB
  bool fullRange = false;     // 0-255 rather than 16-235
  bool deep = false;          // more than 8 bits a sample: converted at full precision
  bool wideGamut = false;     // BT.2020 primaries, mapped into BT.709's
  Transfer transfer = Transfer::Sdr;
  double peakNits = 0;        // PQ and HLG: the brightest light the tone curve fits in
  bool Linear() const { return transfer != Transfer::Sdr || wideGamut; }  // needs the light step
  bool operator==(const PictureColour&) const = default;
};

PictureColour ChooseColour(const ColourTags& tags);
ColourTags TagsOf(const AVFrame* frame);
