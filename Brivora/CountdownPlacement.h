#pragma once

#include "platform/Geometry.h"
#include "platform/Text.h"

namespace brivora {

// Where the countdown goes and how big its parts are measured, for one moment and one view
// size. The column is measured with the placeholder number line, so it keeps its width while
// the digits change.
struct CountdownPlacement {
  Rect bgRect;  // the content column grown by the paddings on every side
  double contentX = 0;
  double contentY = 0;  // bottom of the column
  double staticContentWidth = 0;
  double contentHeight = 0;
  Size labelDim;
  Size numberDimStatic;
  double gap = 0;  // between the number line and the label above it
  Font labelFont;
  Font numberFont;
};

}  // namespace brivora
