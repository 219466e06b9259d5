#include "codec/JpegImage.h"

#include <new>

#include "codec/JpegDecode.h"
#include "codec/JpegEncode.h"
#include "platform/Errors.h"
#include "platform/FileIo.h"
#include "platform/Profile.h"

namespace kobanto {
namespace {

// Runs work, reporting memory that our own code could not have as EOutOfMemory.
template <typename Work>
auto WithMemoryReported(Work&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(std::string(msg::kOutOfMemory));
  }
}

}  // namespace

TJPEGImage::TJPEGImage(DecodeDepth depth) : depth_(depth) {}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromFile(const std::string& path) {
  KOBANTO_PROFILE_PHASE("load");
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const EFOpenError&) {
    throw;  // a file that cannot be opened leaves the picture as it was
  } catch (...) {
    Release();  // one that was opened has replaced the content, also when reading it failed
    throw;
  }
  Release();
  data_ = std::move(bytes);
  // An empty file loads as empty data with no header; decoding it fails later.
  if (data_->empty()) return;
  jpeg::ImageSize size = WithMemoryReported([&] { return jpeg::ReadImageSize(*data_); });
  imageWidth_ = size.width;
  imageHeight_ = size.height;
}

int TJPEGImage::Width() const { return decoded_ ? decoded_->Width() : imageWidth_; }

int TJPEGImage::Height() const { return decoded_ ? decoded_->Height() : imageHeight_; }

void TJPEGImage::Draw(Canvas& canvas, const Rect& rect) {
  if (!decoded_) Decode();
  canvas.StretchDraw(rect, *decoded_);
}

void TJPEGImage::Assign(const Bitmap& picture) {
  KOBANTO_PROFILE_PHASE("assign");
  Release();
  decoded_ = picture;
}

void TJPEGImage::SaveToFile(const std::string& path) {
  KOBANTO_PROFILE_PHASE("save");
  OutputFile file = OutputFile::Create(path);
  if (!data_) Encode();
  file.WriteAll(*data_);
}

void TJPEGImage::Release() {
  data_.reset();
  decoded_.reset();
  imageWidth_ = 0;
  imageHeight_ = 0;
}

void TJPEGImage::Decode() {
  KOBANTO_PROFILE_PHASE("decode");
  // A picture with no data at all decodes like an empty file: the library's empty-input error.
  std::span<const std::uint8_t> data;
  if (data_) data = *data_;
  decoded_ = WithMemoryReported([&] { return jpeg::DecodePicture(data, depth_); });
}

void TJPEGImage::Encode() {
  KOBANTO_PROFILE_PHASE("encode");
  const Bitmap noPicture;
  const Bitmap& picture = decoded_ ? *decoded_ : noPicture;
  data_ = WithMemoryReported([&] { return jpeg::EncodePicture(picture, quality_); });
}

}  // namespace kobanto
