#include "Unit2/Batch.h"

namespace kobanto {

// Conversion comes with picture shrinking; until then a run with arguments converts nothing and
// leaves the completion window open.
bool RunBatch(const CommandLine& commandLine, const BatchContext& /*context*/) {
  if (commandLine.ParamCount() == 0) return false;
  return false;
}

}  // namespace kobanto
