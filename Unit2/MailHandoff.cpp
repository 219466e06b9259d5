#include "Unit2/MailHandoff.h"
