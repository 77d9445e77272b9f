// corvan-tool pattern show FILE.qcc: what a pattern file holds, for technicians.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "patterns/pattern.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

int CountCommands(const Pattern& p, CommandKind kind)
{
    int n = 0;
    for (CommandKind type : p.commandType)
        n += type == kind ? 1 : 0;
    return n;
}

// Inches travelled with the needle working, inches crossed between strokes, and the
// number of strokes (a stroke start before the first point begins no new one).
void PathLengths(const Pattern& p, double* sewn_inch, double* jumped_inch, int* strokes)
{
    std::vector<char> strokeStarts(p.pointX.size(), 0);
    for (size_t c = 0; c < p.commandType.size() && c < p.commandPoint.size(); ++c) {
        const long before = static_cast<long>(p.commandPoint[c]) - 1;
        if (p.commandType[c] == CommandKind::Start && before >= 0 &&
            before < static_cast<long>(strokeStarts.size()))
            strokeStarts[static_cast<size_t>(before)] = 1;
    }
    *sewn_inch = *jumped_inch = 0.0;
    *strokes = p.pointX.empty() ? 0 : 1;
    for (size_t i = 1; i < p.pointX.size() && i < p.pointY.size(); ++i) {
        const double d = std::hypot(static_cast<double>(p.pointX[i]) - p.pointX[i - 1],
                                    static_cast<double>(p.pointY[i]) - p.pointY[i - 1]);
        (strokeStarts[i] ? *jumped_inch : *sewn_inch) += d;
        *strokes += strokeStarts[i];
    }
}

}  // namespace

int RunPatternShow(const ToolArgs& args)
{
    if (args.size() != 1)
        return ToolUsage("pattern show", "pattern show needs exactly one pattern file");
    Pattern* p = nullptr;
    {
        ConsoleToStderr quiet;
        p = newPattern(args[0], 0);
    }
    if (p == nullptr) {
        std::fprintf(stderr, "corvan-tool: cannot read the pattern %s (missing, unreadable or empty)\n",
                     args[0].c_str());
        return kToolFailed;
    }
    double sewn = 0, jumped = 0;
    int strokes = 0;
    PathLengths(*p, &sewn, &jumped, &strokes);
    std::printf("pattern %s (%s)\n", p->name.c_str(), args[0].c_str());
    std::printf("points: %d\n", p->pointCount);
    std::printf("size: %.3f x %.3f inches (drawn from %.3f, %.3f)\n", p->width, p->height,
                p->minX, p->minY);
    std::printf("commands: %d (stroke starts %d, feed %d, entity starts %d, entity ends %d)\n",
                p->commandCount, CountCommands(*p, CommandKind::Start), CountCommands(*p, CommandKind::Feed),
                CountCommands(*p, CommandKind::EntityStart), CountCommands(*p, CommandKind::EntityEnd));
    std::printf("strokes: %d\n", strokes);
    std::printf("length: %.3f inches sewn, %.3f inches between strokes\n", sewn, jumped);
    if (p->pointCount > 0)
        std::printf("first point: %.3f %.3f\nlast point: %.3f %.3f\n", p->pointX.front(),
                    p->pointY.front(), p->pointX.back(), p->pointY.back());
    std::printf("names: %d\n", p->nameCount);
    for (const std::string& n : p->names)
        std::printf("  %s\n", n.c_str());
    erasePattern(p);
    return kToolOk;
}
