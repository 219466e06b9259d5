#pragma once

#include <string>

#include "platform/Display.h"

namespace kobanto {

// What shrinking learns from the program: where the settings file is and the display's format.
struct ShrinkContext {
  std::string exeFolder;
  DisplayFormat display;
};

// Writes a resized copy of the JPEG file source to output, at the size and quality the settings
// file holds at this moment (read anew for every picture). A target width or height of 0 writes
// an empty file. Every failure passes to the caller after everything made here is released; the
// output file is touched only once the picture is ready to be encoded.
void ShrinkJpeg(const std::string& source, const std::string& output, const ShrinkContext& context);

}  // namespace kobanto
