// Makes photograph-like sample JPEG files for the demo and the benchmark, and reports the pixel
// size of a JPEG file.
//
//   kobanto-sample OUTPUT WIDTH HEIGHT [SEED]   writes a colour picture at quality 90 (4:2:0)
//   kobanto-sample --info FILE                  prints "WIDTHxHEIGHT"
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/JpegImage.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

namespace {

// A small deterministic generator, so that the same seed always gives the same picture.
struct Noise {
  std::uint32_t state;
  int Next(int amplitude) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int>(state % (2 * amplitude + 1)) - amplitude;
  }
};

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Sky, hills and some fine texture with sensor-like noise: enough detail that the entropy coding
// behaves as it does on a real photograph.
kobanto::Bitmap MakePicture(int width, int height, std::uint32_t seed) {
  kobanto::Bitmap picture(width, height, kobanto::PixelFormat::kRgb24);
  Noise noise{seed * 2654435761u + 1};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    const double v = static_cast<double>(y) / height;
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      const double hill = 0.55 + 0.12 * std::sin(u * 9.0 + seed) + 0.05 * std::sin(u * 41.0);
      double r, g, b;
      if (v < hill) {
        r = 90 + 80 * v, g = 140 + 70 * v, b = 230 - 40 * v;
      } else {
        const double texture = 30 * std::sin(x * 0.9) * std::cos(y * 0.7) + 20 * std::sin(u * 300);
        r = 70 + texture + 60 * u, g = 120 + texture - 30 * v, b = 50 + 0.5 * texture;
      }
      // Luminance noise plus a little chroma noise of each channel's own, as a sensor gives.
      const int n = noise.Next(7);
      row[3 * x] = Clamp(r + n + noise.Next(3));
      row[3 * x + 1] = Clamp(g + n + noise.Next(3));
      row[3 * x + 2] = Clamp(b + n + noise.Next(3));
    }
  }
  return picture;
}

int Info(const char* path) {
  kobanto::TJPEGImage image(kobanto::DecodeDepth::k24);
  image.LoadFromFile(path);
  std::printf("%dx%d\n", image.Width(), image.Height());
  return 0;
}

int Make(const char* path, int width, int height, std::uint32_t seed) {
  kobanto::TJPEGImage image(kobanto::DecodeDepth::k24);
  image.SetCompressionQuality(90);
  image.Assign(MakePicture(width, height, seed));
  image.SaveToFile(path);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--info") return Info(argv[2]);
    if (argc == 4 || argc == 5) {
      return Make(argv[1], std::atoi(argv[2]), std::atoi(argv[3]),
                  argc == 5 ? static_cast<std::uint32_t>(std::atoi(argv[4])) : 1u);
    }
  } catch (const kobanto::Exception& e) {
    std::fprintf(stderr, "kobanto-sample: %s\n", e.Message().c_str());
    return 1;
  }
  std::fprintf(stderr, "usage: kobanto-sample OUTPUT WIDTH HEIGHT [SEED] | --info FILE\n");
  return 2;
}
