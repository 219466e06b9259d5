#include "platform/DirSearch.h"
