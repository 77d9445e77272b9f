// The table of array parameters: 50 slots, each empty or holding one ArrayNode.

#include "patterns/layout.h"

#include <new>

std::array<ArrayNode*, MAX_ARRAYS> Arrays = {};

namespace {

bool ValidSlot(int slot) { return slot >= 0 && slot < MAX_ARRAYS; }

}  // namespace

void InitArrays() {
    for (ArrayNode*& a : Arrays) {
        delete a;
        a = nullptr;
    }
}

int NewArrayNode(int rows, float spacingDown, int columns, float spacingAcross) {
    for (int slot = 0; slot < MAX_ARRAYS; ++slot) {
        if (Arrays[slot]) continue;
        ArrayNode* a = new (std::nothrow) ArrayNode();
        if (!a) return -1;
        a->rows = rows;
        a->spacingDown = spacingDown;
        a->columns = columns;
        a->spacingAcross = spacingAcross;
        Arrays[slot] = a;
        return slot;
    }
    return -1;
}

void SetArrayNode(int slot, int rows, float spacingDown, int columns, float spacingAcross) {
    if (!ValidSlot(slot) || !Arrays[slot]) return;
    Arrays[slot]->rows = rows;
    Arrays[slot]->spacingDown = spacingDown;
    Arrays[slot]->columns = columns;
    Arrays[slot]->spacingAcross = spacingAcross;
}

ArrayNode* GetArrayNode(int slot) { return ValidSlot(slot) ? Arrays[slot] : nullptr; }

void RemoveArrayNode(int slot) {
    if (!ValidSlot(slot)) return;
    delete Arrays[slot];
    Arrays[slot] = nullptr;
}
