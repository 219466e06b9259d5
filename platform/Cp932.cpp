#include "platform/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace kobanto {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Owns one iconv conversion descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { ::iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much of in as it can, appending to out. Returns the number of input bytes taken;
  // fewer than in.size() means the byte at that position cannot be converted.
  std::size_t Convert(std::string_view in, std::string& out) {
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      std::size_t rc = ::iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    // Both encodings are stateless, but start the next piece from the initial state anyway.
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return in.size() - inLeft;
  }

 private:
  iconv_t cd_;
};

std::optional<std::string> ConvertStrict(const char* to, const char* from, std::string_view in) {
  Converter converter(to, from);
  std::string out;
  if (converter.Convert(in, out) != in.size()) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  return ConvertStrict("CP932", "UTF-8", utf8);
}

std::optional<std::string> Utf8ToCp932Exact(std::string_view utf8) {
  auto cp932 = Utf8ToCp932(utf8);
  if (!cp932) return std::nullopt;
  auto back = Cp932ToUtf8(*cp932);
  if (!back || *back != utf8) return std::nullopt;
  return cp932;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  return ConvertStrict("UTF-8", "CP932", cp932);
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  while (!cp932.empty()) {
    std::size_t taken = converter.Convert(cp932, out);
    if (taken == cp932.size()) break;
    // One byte that does not start a valid character: show it and go on with the next byte.
    out += kReplacement;
    cp932.remove_prefix(taken + 1);
  }
  return out;
}

}  // namespace kobanto
