#include "Unit2/SizeRule.h"
