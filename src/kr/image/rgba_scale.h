#pragma once
// Rescaling of 8-bit RGBA images without a GL context, in the manner of gluScaleImage: an
// area-weighted box filter. Shrinking averages the source area each target pixel covers;
// enlarging uses a box one source pixel wide centred on the target pixel, which interpolates
// linearly between the two nearest source pixels. Unlike GLU, boxes that reach past an edge
// are clipped to the image instead of wrapping to the opposite edge, so one border never
// bleeds into the other.

#include <cstdint>

namespace KR {

// Scales in (in_w x in_h pixels, 4 bytes each) into out (out_w x out_h pixels). All sizes
// must be at least 1. Each channel is rounded to the nearest value.
void ScaleImageRGBA(const uint8_t* in, int in_w, int in_h, uint8_t* out, int out_w, int out_h);

}  // namespace KR
