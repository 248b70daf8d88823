#pragma once

#include "backends/cairo/CairoHandles.h"

namespace brivora {

// A cleared ARGB32 image surface of `width` × `height` pixels whose memory is mapped in at
// once, in one system call, instead of one page fault at a time when first drawn; large
// scratch surfaces made in the middle of an animation then cost no hitch. Null when the
// memory cannot be had.
CairoSurface makePrefaultedSurface(int width, int height);

}  // namespace brivora
