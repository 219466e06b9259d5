#include "platform/ReportText.h"

namespace kobanto {

std::string ReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace kobanto
