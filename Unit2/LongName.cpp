#include "Unit2/LongName.h"
