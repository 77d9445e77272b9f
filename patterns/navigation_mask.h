#pragma once
// The mask of the side screens (setup, trace, file manager, pattern select): navigation,
// camera and locks while no pattern box exists, navigation and locks once one does.

#include <cstdint>

uint32_t NavigationMask();
