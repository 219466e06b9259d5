#include "platform/Errors.h"

namespace kobanto {

std::string FormatMessage(std::string_view pattern, std::string_view value) {
  std::string out(pattern);
  for (std::string_view placeholder : {"%s", "%d"}) {
    if (auto at = out.find(placeholder); at != std::string::npos) {
      out.replace(at, placeholder.size(), value);
      return out;
    }
  }
  return out;
}

std::string FormatMessage(std::string_view pattern, long long value) {
  return FormatMessage(pattern, std::string_view(std::to_string(value)));
}

}  // namespace kobanto
