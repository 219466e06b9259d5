#include "tests/codec/CodecFixture.h"

#include <ostream>

#include "platform/Errors.h"

namespace kobanto::test {

Outcome OutcomeOf(const std::function<void()>& operation) {
  try {
    operation();
    return kNoError;
  } catch (const EJPEG& e) {
    return {"EJPEG", e.Message()};
  } catch (const EOutOfResources& e) {
    return {"EOutOfResources", e.Message()};
  } catch (const EOutOfMemory& e) {
    return {"EOutOfMemory", e.Message()};
  } catch (const EFOpenError& e) {
    return {"EFOpenError", e.Message()};
  } catch (const EFCreateError& e) {
    return {"EFCreateError", e.Message()};
  } catch (const EReadError& e) {
    return {"EReadError", e.Message()};
  } catch (const EWriteError& e) {
    return {"EWriteError", e.Message()};
  } catch (const EStreamError& e) {
    return {"EStreamError", e.Message()};
  } catch (const std::exception& e) {
    return {"other", e.what()};
  }
}

Outcome JpegError(int code) { return {"EJPEG", "JPEG エラー #" + std::to_string(code)}; }

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  return out << outcome.kind << " \"" << outcome.message << "\"";
}

Bitmap MakeBitmap(int width, int height, const std::function<Rgb(int x, int y)>& pixel) {
  Bitmap bitmap(width, height, PixelFormat::kRgb24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x) {
      Rgb c = pixel ? pixel(x, y)
                    : Rgb{static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 5),
                          static_cast<std::uint8_t>((x * y) & 0xFF)};
      row[x * 3] = c.r, row[x * 3 + 1] = c.g, row[x * 3 + 2] = c.b;
    }
  }
  return bitmap;
}

const Bitmap& DecodeByDrawing(TJPEGImage& picture) {
  RecordingCanvas canvas;
  picture.Draw(canvas, Rect{0, 0, 1, 1});
  return *picture.DecodedPicture();
}

std::string CodecTest::Source(const std::string& name,
                              const std::vector<std::uint8_t>& bytes) const {
  std::string path = Path(name);
  WriteBytes(path, bytes);
  return path;
}

}  // namespace kobanto::test
