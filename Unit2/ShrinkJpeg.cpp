#include "Unit2/ShrinkJpeg.h"
