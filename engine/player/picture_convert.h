// Converts a decoded picture to the top-down BGRA the window draws, at the fitted size, in the
// colours its tags say.
#pragma once
#include <cstdint>

#include "engine/player/picture_colour.h"

struct AVFrame;
struct SwsContext;

struct PictureConverter {
  SwsContext* context = nullptr;
  int srcW = 0, srcH = 0, srcFormat = -1, dstW = 0, dstH = 0, flags = -1;
  PictureColour colour;
  PictureConverter() = default;
  PictureConverter(const PictureConverter&) = delete;
  PictureConverter& operator=(const PictureConverter&) = delete;
  ~PictureConverter();
};

// Converts f into width x height BGRA rows of stride bytes at dst; false when it cannot.
bool ConvertPicture(PictureConverter* c, const AVFrame* f, int width, int height, int swsFlags,
                    uint8_t* dst, int stride);
