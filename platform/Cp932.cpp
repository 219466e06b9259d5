#include "platform/Cp932.h"
