#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Display.h"

namespace kobanto {

// A rectangle on a canvas, from (left, top) up to but not including (right, bottom).
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A drawing surface a picture can be stretched into: the intermediate picture's canvas.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // Copies picture, stretched, into rect.
  virtual void StretchDraw(const Rect& rect, const Bitmap& picture) = 0;
};

// One JPEG picture: the compressed bytes of a file and, once drawn, its decoded picture.
// States: Empty, Loaded, Decoded, Taken over, Encoded.
class TJPEGImage {
 public:
  // A new picture: no compressed data, no decoded picture, quality 90. The decode depth is the
  // program's, fixed at start.
  explicit TJPEGImage(DecodeDepth depth);
  ~TJPEGImage();
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  void SetCompressionQuality(std::uint8_t quality) { quality_ = quality; }
  std::uint8_t CompressionQuality() const { return quality_; }

  // Reads the whole file into memory and its header (for width and height); no pixel is decoded.
  // Throws EFOpenError, EReadError, EStreamError, EJPEG or EOutOfMemory.
  void LoadFromFile(const std::string& path);

  // The decoded picture's size when there is one, else the header's, else 0.
  int Width() const;
  int Height() const;

  // Decodes the picture if it has not been decoded yet, then has canvas stretch the decoded
  // picture into rect. Throws EJPEG, EOutOfMemory or EOutOfResources.
  void Draw(Canvas& canvas, const Rect& rect);

  // Drops the compressed data and any decoded picture and keeps a copy of picture instead.
  void Assign(const Bitmap& picture);

  // Creates (or truncates) the file, encodes when there is no compressed data, and writes the
  // compressed data in one write. Throws EFCreateError, EJPEG, EOutOfMemory or EWriteError.
  void SaveToFile(const std::string& path);

  // Frees the compressed data and the decoded picture.
  void Release();

  // For tests and the benchmark: the decoded picture, if any, and the compressed data, if any.
  const std::optional<Bitmap>& DecodedPicture() const { return decoded_; }
  const std::optional<std::vector<std::uint8_t>>& CompressedData() const { return data_; }

 private:
  void Decode();
  void Encode();

  DecodeDepth depth_;
  std::uint8_t quality_ = 90;
  std::optional<std::vector<std::uint8_t>> data_;
  std::optional<Bitmap> decoded_;
  int imageWidth_ = 0;
  int imageHeight_ = 0;
};

}  // namespace kobanto
