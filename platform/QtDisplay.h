#pragma once

#include "platform/Display.h"

namespace kobanto {

// What start-up learnt about the display, once, before any window exists.
struct DisplayInfo {
  bool present = false;  // a window system was reached
  DisplayFormat format;  // its depth; 32 without a display
};

// Called before the QApplication exists: unless the user chose a platform, asks Qt to try the
// window systems in turn and fall back to the offscreen platform, and keeps Qt's warnings about
// failed platforms off standard error.
void PrepareQtPlatform();

// Called once the QApplication exists: which case this is, and the primary screen's depth.
// Without a display Qt's remaining warnings are silenced as well, so that standard error carries
// only the program's own reports.
DisplayInfo DetectDisplay();

}  // namespace kobanto
