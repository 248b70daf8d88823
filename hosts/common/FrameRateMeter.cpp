#include "hosts/common/FrameRateMeter.h"

#include <cstdio>

#include "platform/Text.h"

namespace brivora {

void FrameRateMeter::frameShown() {
  ++frames_;
  const auto now = Steady::now();
  const double seconds = std::chrono::duration<double>(now - since_).count();
  if (seconds >= 1) {
    rate_ = frames_ / seconds;
    frames_ = 0;
    since_ = now;
  }
}

void FrameRateMeter::draw() const {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f fps", rate_);
  AttributedString label;
  label.string = text;
  label.font = Font{.size = 14};
  label.color = Color{1, 1, 1, 0.9};
  label.shadow = Shadow{Color{0, 0, 0, 0.8}, 2, Size{0, -1}};
  label.drawAt(Point{10, 10});
}

}  // namespace brivora
