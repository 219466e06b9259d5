#pragma once

#include <string>

#include "platform/CommandLine.h"
#include "platform/Display.h"
#include "platform/ProcessLauncher.h"

namespace kobanto {

// What the batch learns from start-up.
struct BatchContext {
  std::string exeFolder;
  DisplayFormat display;
  ProcessLauncher& launcher;
};

// The conversion batch over the command-line arguments. Returns true when it went through to its
// end, so that the completion window closes; false with no arguments. Errors pass to the caller.
bool RunBatch(const CommandLine& commandLine, const BatchContext& context);

}  // namespace kobanto
