// Linear-programming scaling on cddlib (floating-point, dual simplex).

#include "patterns/lp_scale.h"

// cddlib's headers must come in this order: cdd.h uses the set types of setoper.h.
#include <setoper.h>
#include <cdd.h>

#include <cmath>
#include <cstdio>
#include <mutex>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "patterns/box_margin.h"
#include "patterns/fitting.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"

namespace {

void InitCdd()
{
    static std::once_flag once;
    std::call_once(once, [] { dd_set_global_constants(); });
}

bool Positive(double v) { return std::isfinite(v) && v > 0.0; }

// Solves max objective . x subject to b + A x >= 0, one row per box side and hull vertex.
// `rowFor` fills columns 1.. of a row from (dx, dy, h). On an optimum the variables
// (sol[1..vars]; sol[0] is the homogenising 1) go to `out` and the result is true.
template <typename RowFor>
bool Solve(const PointArray& box, const PointArray& hull, int vars, const double* objective,
           RowFor rowFor, double* out)
{
    const size_t n = box.size();
    const size_t m = hull.size();
    if (n < 3 || m < 2)
        return false;
    InitCdd();
    dd_MatrixPtr M = dd_CreateMatrix(dd_rowrange(n * m), dd_colrange(vars + 1));
    if (M == nullptr)
        return false;
    M->representation = dd_Inequality;
    M->numbtype = dd_Real;
    size_t row = 0;
    for (size_t k = 0; k < n; ++k) {
        const PolyPoint& p = box[k];
        const PolyPoint& q = box[(k + 1) % n];
        const double dx = double(q.x) - p.x;
        const double dy = double(q.y) - p.y;
        const double b0 = double(p.y) * dx - double(p.x) * dy;
        for (size_t i = 0; i < m; ++i, ++row) {
            double values[5] = {b0, 0, 0, 0, 0};
            rowFor(dx, dy, hull[i], values + 1);
            for (int c = 0; c <= vars; ++c)
                dd_set_d(M->matrix[row][c], values[c]);
        }
    }
    // Without the objective row and the sense, "optimal" is the zero solution.
    M->objective = dd_LPmax;
    for (int c = 0; c <= vars; ++c)
        dd_set_d(M->rowvec[c], objective[c]);

    dd_ErrorType err = dd_NoError;  // the last value of the enum, not zero
    dd_LPPtr lp = dd_Matrix2LP(M, &err);
    bool ok = false;
    if (lp != nullptr && err == dd_NoError) {
        dd_LPSolve(lp, dd_DualSimplex, &err);  // true also for infeasible programs
        if (err != dd_NoError) {
            dd_WriteErrorMessages(stdout, err);
        } else if (lp->LPS == dd_Optimal) {
            ok = true;
            for (int c = 1; c <= vars; ++c) {
                out[c - 1] = *lp->sol[c];
                ok = ok && std::isfinite(out[c - 1]);
            }
        } else {
            ConsolePrintf("Could not converge.  Values were: ");
            for (int c = 0; c < lp->d; ++c)
                ConsolePrintf(" % .4f\n", double(*lp->sol[c]));
        }
    } else if (err != dd_NoError) {
        dd_WriteErrorMessages(stdout, err);
    }
    if (lp != nullptr)
        dd_FreeLPData(lp);
    dd_FreeMatrix(M);
    return ok;
}

// s * v + t for a placement offset. The solver's noise around 0 (-1e-7 for a pattern put in
// the box's corner) is dropped so that the offset is 0, not a hair outside the box.
float Moved(float v, double factor, double shift)
{
    const double r = double(v) * factor + shift;
    return std::fabs(r) < 1e-6 ? 0.0f : float(r);
}

bool InLayout(const LayoutNode* node)
{
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == node)
            return true;
    return false;
}

void Append(PointArray& out, const Pattern* pattern, float dx, float dy)
{
    for (int i = 0; i < pattern->pointCount; ++i) {
        PolyPoint v;
        v.x = pattern->pointX[size_t(i)] + dx;
        v.y = pattern->pointY[size_t(i)] + dy;
        v.index = int(out.size());
        out.push_back(v);
    }
}

// The hull of the pattern where it is drawn: each point at offset + (point - min).
PointArray PlacedHull(const LayoutNode* node, const Pattern* pattern, bool isArray)
{
    if (!isArray)
        return ConvexHull(pattern, node->x - pattern->minX, node->y - pattern->minY);
    PointArray pts;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n->arrayIndex == node->arrayIndex)
            Append(pts, pattern, n->x - pattern->minX, n->y - pattern->minY);
    return Hull(Hull(std::move(pts)));
}

}  // namespace

int lpSolve(const PointArray& box, const PointArray& hull, double* scale, double* tx, double* ty)
{
    const double objective[4] = {0, 1, 0, 0};
    double x[3] = {};
    const bool ok = Solve(box, hull, 3, objective,
                          [](double dx, double dy, const PolyPoint& h, double* c) {
                              c[0] = dy * h.x - dx * h.y;
                              c[1] = dy;
                              c[2] = -dx;
                          },
                          x);
    if (!ok || !Positive(x[0]))
        return 0;
    *scale = x[0];
    *tx = x[1];
    *ty = x[2];
    return 1;
}

int lpSolveXYScale(const PointArray& box, const PointArray& hull, double* sx, double* sy,
                   double* tx, double* ty)
{
    const double objective[5] = {0, 1, 1, 0, 0};
    double x[4] = {};
    const bool ok = Solve(box, hull, 4, objective,
                          [](double dx, double dy, const PolyPoint& h, double* c) {
                              c[0] = dy * h.x;
                              c[1] = -dx * h.y;
                              c[2] = dy;
                              c[3] = -dx;
                          },
                          x);
    if (!ok || !Positive(x[0]) || !Positive(x[1]))
        return 0;
    *sx = x[0];
    *sy = x[1];
    *tx = x[2];
    *ty = x[3];
    return 1;
}

void scaleArray(int axis, double factor, double tx, double ty)
{
    const LayoutNode* selected = interface_.selectedNode;
    if (selected == nullptr || !InLayout(selected) || selected->arrayIndex < 0)
        return;
    const int slot = selected->arrayIndex;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (n->arrayIndex != slot)
            continue;
        if (axis == 'x')
            n->x = Moved(n->x, factor, tx);
        else
            n->y = Moved(n->y, factor, ty);
    }
    if (ArrayNode* array = GetArrayNode(slot)) {
        if (axis == 'x')
            array->spacingAcross = float(double(array->spacingAcross) * factor);
        else
            array->spacingDown = float(double(array->spacingDown) * factor);
    }
}

namespace {

bool BoxUsable(const LayoutNode* node, const PointArray* override)
{
    if (override != nullptr)
        return PolygonConvexClockwise(*override) != 0;
    return CheckPatternBox(GetPatternBox(node->boxIndex)) != 0;
}

}  // namespace

int autoScale(int isArray, int uniform, double* factorX, double* factorY, const PointArray* box)
{
    LayoutNode* node = interface_.selectedNode;
    if (node == nullptr || !InLayout(node))
        return 0;
    if (!BoxUsable(node, box)) {
        ShowMessage(MSG_WARNING, BUTTONS_OK,
                    "CANNOT AUTOSCALE TO DEFINED PATTERN BOX. \nABORTING AUTOSCALE.");
        return 0;
    }
    Pattern* pattern = GetPattern(node->patternIndex);
    if (pattern == nullptr || pattern->pointCount <= 0)
        return 0;
    if (isArray && (node->arrayIndex < 0 || GetArrayNode(node->arrayIndex) == nullptr))
        return 0;  // the array's record is gone: the copies no longer form an array
    UpdatePatternSize(pattern);
    const PointArray polygon = box != nullptr ? *box : BoxPolygon(GetPatternBox(node->boxIndex));
    const PointArray placed = PlacedHull(node, pattern, isArray != 0);

    double sx = 1.0, sy = 1.0, tx = 0.0, ty = 0.0;
    if (uniform) {
        if (!lpSolve(polygon, placed, &sx, &tx, &ty))
            return 0;
        sy = sx;
    } else {
        if (!lpSolveXYScale(polygon, placed, &sx, &sy, &tx, &ty) || sx <= 0.2 || sy <= 0.2)
            return 0;
    }
    if (!StretchAllowed(pattern, 'x', sx) || !StretchAllowed(pattern, 'y', sy))
        return 0;
    stretchPattern(pattern, 'x', sx, nullptr);
    stretchPattern(pattern, 'y', sy, nullptr);
    if (isArray) {
        scaleArray('x', sx, tx, ty);
        scaleArray('y', sy, tx, ty);
    } else {
        node->x = Moved(node->x, sx, tx);
        node->y = Moved(node->y, sy, ty);
    }
    if (factorX != nullptr)
        *factorX *= sx;
    if (factorY != nullptr)
        *factorY *= sy;
    return 1;
}

AutoScaleResult runAutoScale(int keepProportions, const PointArray* box)
{
    AutoScaleResult result;
    const LayoutNode* node = interface_.selectedNode;
    if (node == nullptr || !InLayout(node))
        return result;
    const int isArray = node->arrayIndex >= 0 ? 1 : 0;
    for (int i = 0; i < 4; ++i) {
        result.solved |= autoScale(isArray, 1, &result.scaleX, &result.scaleY, box);
        if (i == 0 && !BoxUsable(node, box))
            return result;  // warned once; the box will not change
    }
    if (!keepProportions)
        for (int i = 0; i < 3; ++i)
            result.solved |= autoScale(isArray, 0, &result.scaleX, &result.scaleY, box);
    return result;
}
