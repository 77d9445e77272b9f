// Moving and turning the contents of the current pattern box for nesting.

#include "patterns/nesting.h"

#include <cmath>

#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesPerRadian = 57.29577951;
}  // namespace

void ShiftPatternBox(PatternBox* box, float dx, float dy)
{
    if (box == nullptr)
        return;
    box->originX += dx;
    box->originY += dy;
    box->centerX += dx;
    box->centerY += dy;
    for (BoxPoint* c = box->corners; c != nullptr; c = c->next) {
        c->x += dx;
        c->y += dy;
    }
}

void RotateFullPattern(float radians)
{
    const double degrees = double(radians) * kDegreesPerRadian;
    if (!std::isfinite(degrees))
        return;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (n->boxIndex != currentBox || (n->arrayIndex >= 0 && n->isArrayParent != 1))
            continue;
        Pattern* p = GetPattern(n->patternIndex);
        if (p == nullptr)
            continue;
        const int before = p->rotation;
        if (TurnPlacement(n, float(degrees)) == 1)
            p->rotation = WrapRotation(double(before) + std::trunc(degrees));
    }
}

NestMove NestMoveOf(const NestMarks& m)
{
    NestMove r;
    r.xOffset = double(m.cx - m.ax) / 1000.0;
    r.roll = double(m.cy - m.ay) / 1000.0;
    r.initial = std::atan2(double(m.by - m.ay), double(m.bx - m.ax));
    r.now = std::atan2(double(m.dy - m.cy), double(m.dx - m.cx));
    double turn = r.initial - r.now;
    while (turn <= -kPi)
        turn += 2 * kPi;
    while (turn > kPi)
        turn -= 2 * kPi;
    r.turn = turn;
    return r;
}
