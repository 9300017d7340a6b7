#include "debugmode.h"

bool DebugMode = false;
