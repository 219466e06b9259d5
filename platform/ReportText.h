#pragma once

#include <string>

namespace kobanto {

// The text the error report shows for a message: a "." is appended when the message is not empty
// and its last byte sorts after "." (letters, digits and Japanese text do; ".", " ", "!", ")"
// and "," do not).
std::string ReportText(const std::string& message);

}  // namespace kobanto
