// How the movie's picture settings map onto the decoder and the scaler.
#pragma once

// Scaler flags for smoothing (0 off) and quality (0 low .. 3 best): nearest neighbour without
// smoothing; fast bilinear, bilinear, bicubic, lanczos with it.
int ScalerFlags(bool smoothing, int quality);
// The video object's deblocking level for a written value: 0 automatic, 1 none, else 5.
int DeblockingLevel(double value);
// The decoder's loop-filter skipping for a deblocking level (an AVDiscard value).
int SkipLoopFilterFor(int level);
