#include "platform/ProcessLauncher.h"
