#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/JpegImage.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"

namespace kobanto::test {

// A canvas that remembers what was drawn into it.
class RecordingCanvas : public Canvas {
 public:
  void StretchDraw(const Rect& rect, const Bitmap& picture) override {
    lastRect = rect;
    lastPicture = &picture;
    ++draws;
  }
  Rect lastRect;
  const Bitmap* lastPicture = nullptr;
  int draws = 0;
};

// What an operation threw: the error's kind and message, or kind "none".
struct Outcome {
  std::string kind;
  std::string message;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};
Outcome OutcomeOf(const std::function<void()>& operation);
Outcome JpegError(int code);  // EJPEG "JPEG エラー #code"
inline const Outcome kNoError{"none", ""};
std::ostream& operator<<(std::ostream& out, const Outcome& outcome);

// A picture of size width x height in 24 bits, its colours from pixel (a gradient when empty).
Bitmap MakeBitmap(int width, int height, const std::function<Rgb(int x, int y)>& pixel = {});

// Draws picture once into a fresh canvas (which decodes it) and returns the decoded picture.
const Bitmap& DecodeByDrawing(TJPEGImage& picture);

// Per test: a temporary folder to put sources and outputs in.
class CodecTest : public TempDirTest {
 protected:
  // Writes bytes to a file of that name in the folder and returns its path.
  std::string Source(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
};

}  // namespace kobanto::test
