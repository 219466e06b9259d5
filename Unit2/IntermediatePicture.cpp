#include "Unit2/IntermediatePicture.h"

#include "Unit2/Stretch.h"
#include "platform/Profile.h"

namespace kobanto {

PixelFormat DisplayPixelFormat(int displayDepth) {
  if (displayDepth > 16) return PixelFormat::kRgb24;
  if (displayDepth == 16) return PixelFormat::kRgb565;
  if (displayDepth > 8) return PixelFormat::kRgb555;
  return PixelFormat::kIndexed8;
}

std::vector<Rgb> DisplayPalette(int displayDepth) {
  if (displayDepth > 8) return {};
  if (displayDepth == 8) {
    return {{0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
            {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
            {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0}, {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4},
            {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
            {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
  }
  if (displayDepth >= 4) {
    return {{0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
            {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
            {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
            {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
  }
  return {{0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}};
}

std::size_t DisplayColourCount(int displayDepth) {
  if (displayDepth >= 8) return 256;
  return DisplayPalette(displayDepth).size();
}

void IntermediatePicture::Resize(int width, int height) {
  KOBANTO_PROFILE_PHASE("intermediate");
  Bitmap resized(width, height, DisplayPixelFormat(display_.depth));
  resized.SetPalette(DisplayPalette(display_.depth));
  bitmap_ = std::move(resized);
  whitePending_ = true;
}

void IntermediatePicture::PaintWhite() const {
  if (!whitePending_) return;
  bitmap_.FillWhite();
  whitePending_ = false;
}

void IntermediatePicture::StretchDraw(const Rect& rect, const Bitmap& picture) {
  KOBANTO_PROFILE_PHASE("stretch");
  // The copy writes every pixel of the part of rect inside the bitmap, unless the picture has none.
  const bool coversAll = rect.left <= 0 && rect.top <= 0 && rect.right >= bitmap_.Width() &&
                         rect.bottom >= bitmap_.Height() && !picture.Empty();
  if (!coversAll) PaintWhite();
  StretchCopy(bitmap_, rect, picture, ChooseStretchMode(display_.depth, PictureDepth(picture)),
              DisplayColourCount(display_.depth));
  whitePending_ = false;
}

}  // namespace kobanto
