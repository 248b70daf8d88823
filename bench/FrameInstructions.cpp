// Draws frames of the view at one size from one moment on, each read back as a host reads it,
// with callgrind counting only those frames: instruction counts that load on the machine does
// not move, for comparing builds.
//   valgrind --tool=callgrind --collect-atstart=no brivora_frame_instructions BUNDLE WIDTH
//     HEIGHT ELAPSED FRAMES
// prints nothing of its own; callgrind's total divided by FRAMES is one frame's instructions.
// The next wallpaper is decoded first, so no decode runs while counting.
#include <valgrind/callgrind.h>

#include <cstdlib>
#include <iostream>

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ImageCodecs.h"
#include "hosts/headless/HeadlessSession.h"

int main(int argc, char** argv) {
  using namespace brivora;
  if (argc != 6) {
    std::cerr << "usage: brivora_frame_instructions BUNDLE WIDTH HEIGHT ELAPSED FRAMES\n";
    return 2;
  }
  const int width = std::atoi(argv[2]);
  const int height = std::atoi(argv[3]);
  const double elapsed = std::atof(argv[4]);
  const int frames = std::atoi(argv[5]);
  setImageLoader(loadImage);
  HeadlessSession session(KovaltaScreensaverView::principalClassName,
                          Size{static_cast<double>(width), static_cast<double>(height)},
                          Bundle(argv[1]), Date{1'800'000'000}, 1);
  session.advanceTo(elapsed);
  if (auto* view = dynamic_cast<KovaltaScreensaverView*>(session.view())) {
    if (view->nextImage()) view->nextImage()->pixels();
  }
  CairoGraphicsContext canvas(width, height);
  session.draw(canvas);
  canvas.data();
  CALLGRIND_TOGGLE_COLLECT;
  for (int frame = 1; frame <= frames; ++frame) {
    session.advanceTo(elapsed + frame / 30.0);
    session.draw(canvas);
    canvas.data();
  }
  CALLGRIND_TOGGLE_COLLECT;
  return 0;
}
