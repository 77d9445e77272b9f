#include "machine/run_state.h"

FullPattern_t* fpTemp = nullptr;
