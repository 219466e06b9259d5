#include "Unit2/Batch.h"
