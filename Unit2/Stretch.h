#pragma once

#include <cstddef>

#include "codec/JpegImage.h"
#include "platform/Bitmap.h"

namespace kobanto {

// How a picture is stretched into the intermediate picture.
enum class StretchMode {
  kColorOnColor = 3,  // nearest neighbour: every pixel a copy of one source pixel
  kHalftone = 4,      // the average of the covered source block, diffused onto a palette
};

// Nearest neighbour unless the display has 8 bits per pixel or fewer and fewer than the picture.
StretchMode ChooseStretchMode(int displayDepth, int pictureDepth);

// The depth a picture counts with for that choice: 8 for a palette picture, 24 otherwise.
int PictureDepth(const Bitmap& picture);

// Copies the whole of source, stretched, into rect of destination; the part of rect outside the
// destination is left out. Colours are converted to the destination's format: reduced to 5 or 6
// bits a channel, or, for a palette destination, mapped onto its palette. In nearest-neighbour mode
// a palette source's colours are added to a palette destination's palette while it has fewer than
// paletteCapacity entries (the colours a palette display can show at once), and otherwise take the
// nearest entry. A halftone copy never changes the destination's palette.
void StretchCopy(Bitmap& destination, const Rect& rect, const Bitmap& source, StretchMode mode,
                 std::size_t paletteCapacity = 256);

}  // namespace kobanto
