// Converts a decoded picture to the top-down BGRA the window draws, at the fitted size, in the
// colours its tags say.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/player/picture_colour.h"

struct AVFrame;
struct SwsContext;
struct ToneTables;

struct PictureConverter {
  SwsContext* context = nullptr;
  int srcW = 0, srcH = 0, srcFormat = -1, dstW = 0, dstH = 0, flags = -1;
  PictureColour colour;
  std::unique_ptr<ToneTables> tone;  // HDR and wide-gamut pictures: the light step
  std::vector<uint16_t> wide;        // deep and linear pictures' 16-bit RGB planes
  PictureConverter();
  PictureConverter(const PictureConverter&) = delete;
  PictureConverter& operator=(const PictureConverter&) = delete;
  ~PictureConverter();
};

// Converts f into width x height BGRA rows of stride bytes at dst; false when it cannot.
bool ConvertPicture(PictureConverter* c, const AVFrame* f, int width, int height, int swsFlags,
                    uint8_t* dst, int stride);
