#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kobanto {

// Splits the attachment parameter string back into paths. Fields are separated by ","; a field
// that begins with a double quote runs to the closing quote, with a doubled quote standing for
// one and commas inside taken literally (anything between the closing quote and the next comma is
// kept too). Empty fields are dropped, so the lone "" gives no paths.
std::vector<std::string> SplitAttachmentString(std::string_view text);

}  // namespace kobanto
