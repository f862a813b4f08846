// Folder tree view of the machine's volumes with a file search, and the
// bitmap resampler that scales its icons.
#pragma once

#include "Graphics.h"

class TProgressBar;

// A smoothly scaled 24-bit copy of Source at NewWidth x NewHeight, owned by
// the caller: each pixel is the average, over the source area it covers, of
// the bilinear surface through the source pixel centres. Progress (may be
// nil) steps once per destination row. An empty source raises
// EAssertionFailed; sizes below 1 raise EInvalidGraphic.
TBitmap* ResampleBitmap(TBitmap* Source, Integer NewWidth, Integer NewHeight, TProgressBar* Progress);
