#include "engine/player/picture_flags.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

int ScalerFlags(bool smoothing, int quality) {
  if (!smoothing) return SWS_POINT;
  switch (quality) {
    case 0: return SWS_FAST_BILINEAR;
    case 1: return SWS_BILINEAR;
    case 2: return SWS_BICUBIC;
    default: return SWS_LANCZOS;
  }
}

int DeblockingLevel(double value) {
  if (value == 0) return 0;
  if (value == 1) return 1;
  return 5;
}

int SkipLoopFilterFor(int level) {
  if (level == 1) return AVDISCARD_ALL;
  if (level == 5) return AVDISCARD_NONE;
  return AVDISCARD_DEFAULT;
}
