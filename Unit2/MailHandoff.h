#pragma once

#include <string>
#include <vector>

#include "platform/ProcessLauncher.h"

namespace kobanto {

// The name of the mail companion in the executable folder.
inline constexpr const char* kCompanionName = "SendTo.exe";

// The attachment list as one parameter string: the entries in order, separated by ",", nothing
// after the last. An entry holding a byte 0x01-0x20, a double quote or a comma is written inside
// double quotes with its double quotes doubled; any other entry is written as it is, and an empty
// one as nothing. A list whose only entry is empty gives two double quotes.
std::string BuildAttachmentString(const std::vector<std::string>& list);

// Starts exeFolder + "SendTo.exe" with the attachment string of list as its one argument. The
// companion is not waited for, and whether it could be started is not examined.
void MailHandoff(const std::vector<std::string>& list, const std::string& exeFolder,
                 ProcessLauncher& launcher);

}  // namespace kobanto
