#pragma once

#include <cstddef>
#include <vector>

#include "codec/JpegImage.h"
#include "platform/Bitmap.h"
#include "platform/Display.h"

namespace kobanto {

// The pixel format a bitmap compatible with the display has: 8 bits a channel on displays of more
// than 16 bits, 5-6-5 at 16 bits, 5-5-5 at 9 to 15 bits, and a palette at 8 bits and fewer.
PixelFormat DisplayPixelFormat(int displayDepth);

// The palette a new bitmap compatible with a palette display starts with: at 8 bits the 20 colours
// the system keeps for itself (the picture's own colours are added when it is drawn, up to 256),
// at 4 to 7 bits the 16 standard VGA colours, below 4 bits black and white.
std::vector<Rgb> DisplayPalette(int displayDepth);

// How many colours a palette display can show at once.
std::size_t DisplayColourCount(int displayDepth);

// The intermediate picture of a shrink: a bitmap in the display's pixel format that a JPEG picture
// is stretched into. It starts empty; once both its width and height are non-zero it is white.
class IntermediatePicture : public Canvas {
 public:
  explicit IntermediatePicture(DisplayFormat display) : display_(display) {}

  // Throw EOutOfResources "パラメータが間違っています" for a negative size and "システム リソースが
  // 足りません" for a bitmap beyond the platform's limit, before anything is allocated.
  void SetWidth(int width) { Resize(width, bitmap_.Height()); }
  void SetHeight(int height) { Resize(bitmap_.Width(), height); }

  const Bitmap& Picture() const {
    PaintWhite();
    return bitmap_;
  }

  // The stretched copy, nearest neighbour or halftone as the display's depth and the picture's
  // require.
  void StretchDraw(const Rect& rect, const Bitmap& picture) override;

 private:
  void Resize(int width, int height);
  // Makes the bitmap white if it has not been painted since it was made.
  void PaintWhite() const;

  DisplayFormat display_;
  // The white a new bitmap starts with is painted when it is first looked at, or before a draw
  // that leaves some of it visible; a draw over the whole bitmap, the usual case, covers every
  // pixel, and painting it white first would only cost a pass over its memory.
  mutable Bitmap bitmap_{0, 0, DisplayPixelFormat(display_.depth)};
  mutable bool whitePending_ = false;
};

}  // namespace kobanto
