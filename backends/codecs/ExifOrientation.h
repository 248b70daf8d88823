#pragma once

#include <string_view>

#include "backends/codecs/CoverSize.h"
#include "platform/ImagePixels.h"

namespace brivora {

// How stored pixels turn into the image as shown, named by where the stored first row and
// first column end up (the EXIF orientation values 1 to 8).
enum class ExifOrientation {
  topLeft = 1,      // as stored
  topRight = 2,     // mirrored left to right
  bottomRight = 3,  // turned half a turn
  bottomLeft = 4,   // mirrored top to bottom
  leftTop = 5,      // mirrored along the main diagonal
  rightTop = 6,     // turned a quarter clockwise
  rightBottom = 7,  // mirrored along the other diagonal
  leftBottom = 8,   // turned a quarter counter-clockwise
};

// The orientation recorded in an EXIF block: the TIFF data (byte-order mark first) whose first
// directory may hold tag 0x0112. Either byte order; anything missing, out of bounds or out of
// range reads as topLeft.
ExifOrientation orientationFromTiff(std::string_view tiff);

// The same for the payload of a JPEG APP1 marker or a PNG eXIf chunk, with or without the
// "Exif\0\0" prefix.
ExifOrientation orientationFromExif(std::string_view exif);

// Whether the orientation exchanges width and height.
bool swapsAxes(ExifOrientation orientation);

// The shown size of stored pixels of `storedSize`.
PixelSize orientedSize(PixelSize storedSize, ExifOrientation orientation);

// The pixels as shown.
ImagePixels applyOrientation(ImagePixels stored, ExifOrientation orientation);

}  // namespace brivora
