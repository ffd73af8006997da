#include "engine/RunState.h"

RunState CurrentRun;
