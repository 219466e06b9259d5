#include "companion/AttachmentSplit.h"

namespace kobanto {
namespace {

// Reads one field starting at pos and leaves pos after its terminating comma (or at the end).
std::string ReadField(std::string_view text, std::size_t& pos) {
  std::string field;
  if (pos < text.size() && text[pos] == '"') {
    ++pos;
    while (pos < text.size()) {
      if (text[pos] != '"') {
        field += text[pos++];
      } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
        field += '"';
        pos += 2;
      } else {
        ++pos;
        break;
      }
    }
  }
  while (pos < text.size() && text[pos] != ',') field += text[pos++];
  if (pos < text.size()) ++pos;
  return field;
}

}  // namespace

std::vector<std::string> SplitAttachmentString(std::string_view text) {
  std::vector<std::string> paths;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::string field = ReadField(text, pos);
    if (!field.empty()) paths.push_back(std::move(field));
  }
  return paths;
}

}  // namespace kobanto
