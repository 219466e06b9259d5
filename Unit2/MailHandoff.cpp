#include "Unit2/MailHandoff.h"

#include <algorithm>

namespace kobanto {
namespace {

bool NeedsQuotes(const std::string& entry) {
  return std::any_of(entry.begin(), entry.end(), [](char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x01 && b <= 0x20) || c == '"' || c == ',';
  });
}

void AppendEntry(std::string& out, const std::string& entry) {
  if (!NeedsQuotes(entry)) {
    out += entry;
    return;
  }
  out += '"';
  for (char c : entry) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string BuildAttachmentString(const std::vector<std::string>& list) {
  if (list.size() == 1 && list.front().empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += ',';
    AppendEntry(out, list[i]);
  }
  return out;
}

void MailHandoff(const std::vector<std::string>& list, const std::string& exeFolder,
                 ProcessLauncher& launcher) {
  launcher.Launch(exeFolder + kCompanionName, BuildAttachmentString(list));
}

}  // namespace kobanto
