#include "base/sensitivity.h"

#include "base/ui_hooks.h"

namespace {

uint32_t currentMask = kMaskAtCreation;

constexpr uint32_t Bit(int n) { return uint32_t(1) << n; }

struct ItemRule {
    const char* label;
    uint32_t bits;  // any of these bits enables the item; 0: the mask leaves it alone
};

// Indexed by SensitiveItem.
constexpr ItemRule kRules[kSensitiveItemCount] = {
    {"Pattern View", Bit(0)},
    {"Add Pattern", Bit(1)},
    {"New Layout", Bit(13)},
    {"Open Layout", Bit(1)},
    {"File Manager", Bit(7)},
    {"Free Motion", Bit(2)},
    {"Camera", Bit(3)},
    {"Setup", Bit(4)},
    {"Set Quilt Area", Bit(5)},
    {"Pattern Box", Bit(6)},
    {"Add Pattern Box", 0},
    {"Adjust Current", 0},
    {"Remove Current", 0},
    {"Demo", Bit(21)},
    {"Save Layout", Bit(13)},
    {"Save Layout As", Bit(13)},
    {"Save", Bit(9)},
    {"Delete", Bit(10)},
    {"Scale", 0},
    {"Autoscale All", 0},
    {"Draw", 0},
    {"Move All", Bit(12) | Bit(14)},
    {"AutoCenter", Bit(13)},
    {"Nest", Bit(14)},
    {"Create Setpoint", Bit(13)},
    {"Restore Setpoint", Bit(13)},
    {"Undo", Bit(13)},
    {"Zoom", Bit(16)},
    {"Zoom All", Bit(18)},
    {"Pan", Bit(17)},
    {"Measure", 0},
    {"Standard", 0},
    {"Start", Bit(21)},
    {"Stop", Bit(23)},
    {"Stitching", 0},
    {"Lock X", Bit(24)},
    {"Lock Y", Bit(25)},
    {"Stitch\nOn/Off", 0},
    {"Needle\nUp", 0},
    {"Edit", Bit(21)},
};

}  // namespace

const char* SensitiveItemLabel(SensitiveItem item)
{
    int i = static_cast<int>(item);
    return i >= 0 && i < kSensitiveItemCount ? kRules[i].label : "";
}

int MaskEnables(uint32_t mask, SensitiveItem item)
{
    int i = static_cast<int>(item);
    if (i < 0 || i >= kSensitiveItemCount || kRules[i].bits == 0)
        return -1;
    return (mask & kRules[i].bits) != 0 ? 1 : 0;
}

void SetSensitivity(uint32_t mask)
{
    currentMask = mask;
    UiApplySensitivity(mask);
}

uint32_t CurrentSensitivity() { return currentMask; }
