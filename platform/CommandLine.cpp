#include "platform/CommandLine.h"
