#include "codec/JpegImage.h"
