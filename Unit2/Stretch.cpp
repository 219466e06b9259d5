#include "Unit2/Stretch.h"
