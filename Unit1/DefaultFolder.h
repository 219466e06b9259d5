#pragma once

#include <string>

namespace kobanto {

// The save folder the settings window starts with and a new settings file gets: the user's
// documents folder as the desktop reports it, or the home folder when the settings file cannot
// hold the documents folder's name, or failing that the temporary folder.
std::string DefaultSaveFolder();

}  // namespace kobanto
