#pragma once

#include "platform/Color.h"
#include "platform/Geometry.h"

namespace brivora {

class Image;
struct AttributedString;

// How a fill combines with what is already drawn.
enum class CompositingOperation { sourceOver, copy };

// The drawing target of one frame. A host makes one current around each call to a view's
// `draw`; every drawing call below goes to the current context, on the drawing thread only.
// All geometry is in view coordinates (origin lower left, y upwards).
class GraphicsContext {
 public:
  virtual ~GraphicsContext() = default;

  // The context of the drawing pass in progress, or null outside one.
  static GraphicsContext* current();

  // The operation `fillRect` uses; source-over unless the host says otherwise.
  virtual CompositingOperation compositingOperation() const {
    return CompositingOperation::sourceOver;
  }

  // Fills `rect` with `color` using the compositing operation.
  virtual void fillRect(Rect rect, Color color) = 0;

  // Draws the whole of `image` scaled into `rect`, source-over, at opacity `fraction`.
  virtual void drawImage(const Image& image, Rect rect, double fraction) = 0;

  // Fills `rect` with a linear gradient from `start` to `end` along `angleDegrees`
  // (0 runs left to right, 90 bottom to top); the end colours reach the rect's far corners.
  virtual void drawGradient(Rect rect, Color start, Color end, double angleDegrees) = 0;

  // Fills `rect` with corners rounded to `radius`.
  virtual void fillRoundedRect(Rect rect, double radius, Color color) = 0;

  // The size `text` takes when drawn; empty text measures zero.
  virtual Size measureText(const AttributedString& text) = 0;

  // Draws `text` with the lower-left corner of its measured box at `point`.
  virtual void drawText(const AttributedString& text, Point point) = 0;
};

// Makes a context current for its lifetime and restores the previous one after.
class CurrentGraphicsContext {
 public:
  explicit CurrentGraphicsContext(GraphicsContext& context);
  ~CurrentGraphicsContext();
  CurrentGraphicsContext(const CurrentGraphicsContext&) = delete;
  CurrentGraphicsContext& operator=(const CurrentGraphicsContext&) = delete;

 private:
  GraphicsContext* previous_;
};

// A two-colour linear gradient.
struct Gradient {
  Color start;
  Color end;

  // Fills `rect` on the current context; `angleDegrees` 90 puts `start` along the lower edge.
  void drawIn(Rect rect, double angleDegrees) const;
};

}  // namespace brivora
