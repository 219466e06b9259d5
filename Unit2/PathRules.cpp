#include "Unit2/PathRules.h"
