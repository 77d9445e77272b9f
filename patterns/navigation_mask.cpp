#include "patterns/navigation_mask.h"

#include "base/sensitivity.h"
#include "patterns/pattern_box.h"

uint32_t NavigationMask()
{
    bool anyBox = patternBoxList != nullptr && patternBoxList->count > 0;
    return anyBox ? kMaskNavigationBoxes : kMaskNavigationNoBox;
}
