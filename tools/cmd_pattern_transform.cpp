// corvan-tool pattern transform IN.qcc OUT.qcc OP...: the pop-up menu's shape changes, and
// turns and stretches by any amount, applied to a pattern file in order.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "patterns/pattern.h"
#include "patterns/transform.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

const char kName[] = "pattern transform";

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// One operation, checked before anything is read. False when the pattern refused it.
using Operation = std::function<bool(Pattern*)>;

bool Turn(Pattern* p, double degrees)
{
    if (!RotatePattern(p, float(degrees)))
        return false;
    UpdatePatternSize(p);
    return true;
}

}  // namespace

int RunPatternTransform(const ToolArgs& args)
{
    if (args.size() < 3)
        return ToolUsage(kName, "pattern transform needs IN.qcc, OUT.qcc and at least one operation");
    const std::string& in = args[0];
    const std::string& out = args[1];
    if (!EndsWith(out, ".qcc"))
        return ToolUsage(kName, "the pattern file '" + out + "' must end in .qcc");

    std::vector<std::pair<std::string, Operation>> ops;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& op = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (op == "--rotate") {
            double degrees = 0;
            const std::string* v = value();
            if (v == nullptr || !ParseToolNumber(*v, &degrees))
                return ToolUsage(kName, "--rotate needs a finite angle in degrees");
            ops.emplace_back(op, [degrees](Pattern* p) { return Turn(p, degrees); });
        } else if (op == "--quarter") {
            const std::string* v = value();
            if (v == nullptr || (*v != "cw" && *v != "ccw"))
                return ToolUsage(kName, "--quarter needs cw or ccw");
            const double degrees = *v == "cw" ? 90.0 : 270.0;
            ops.emplace_back(op, [degrees](Pattern* p) { return Turn(p, degrees); });
        } else if (op == "--mirror") {
            const std::string* v = value();
            if (v == nullptr || (*v != "h" && *v != "v"))
                return ToolUsage(kName, "--mirror needs h or v");
            const bool horizontal = *v == "h";  // top and bottom swap, as the pop-up menu's
            ops.emplace_back(op, [horizontal](Pattern* p) {
                mirrorPattern(p, horizontal ? 0 : 1, horizontal ? 1 : 0);
                return true;
            });
        } else if (op == "--reverse") {
            ops.emplace_back(op, [](Pattern* p) {
                ReversePattern(p);
                return true;
            });
        } else if (op == "--stretch") {
            double sx = 0, sy = 0;
            const std::string* vx = value();
            const std::string* vy = vx != nullptr ? value() : nullptr;
            if (vy == nullptr || !ParseToolNumber(*vx, &sx) || !ParseToolNumber(*vy, &sy) ||
                !(sx > 0) || !(sy > 0))
                return ToolUsage(kName, "--stretch needs two finite factors above 0");
            ops.emplace_back(op, [sx, sy](Pattern* p) {
                if (!StretchAllowed(p, 'x', sx) || !StretchAllowed(p, 'y', sy))
                    return false;
                stretchPattern(p, 'x', sx, nullptr);
                stretchPattern(p, 'y', sy, nullptr);
                return true;
            });
        } else {
            return ToolUsage(kName, "unknown operation '" + op + "'");
        }
    }

    struct stat st;
    Pattern* pattern = nullptr;
    if (stat(in.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        ConsoleToStderr quiet;
        pattern = newPattern(in, 0);
    }
    if (pattern == nullptr) {
        std::fprintf(stderr, "corvan-tool: cannot read the pattern %s (missing, not a file, or "
                             "without points)\n", in.c_str());
        return kToolFailed;
    }
    UpdatePatternSize(pattern);
    for (const auto& [name, apply] : ops) {
        if (!apply(pattern)) {
            std::fprintf(stderr, "corvan-tool: %s refused: it would carry the pattern beyond "
                                 "%g inches\n", name.c_str(), kPatternCoordinateMax);
            erasePattern(pattern);
            return kToolFailed;
        }
    }

    // Written beside the destination and renamed over it, so a failure never leaves a
    // half-written pattern or harms the one that was there (which may be the input).
    const std::string part = out + ".part";
    int saved = 0;
    {
        ConsoleToStderr quiet;
        saved = savePattern(pattern, part);
    }
    erasePattern(pattern);
    if (saved != 1 || std::rename(part.c_str(), out.c_str()) != 0) {
        std::fprintf(stderr, "corvan-tool: cannot write %s%s%s\n", out.c_str(),
                     saved == 1 ? ": " : "", saved == 1 ? std::strerror(errno) : "");
        std::remove(part.c_str());
        return kToolFailed;
    }
    std::printf("transformed %s into %s\n", in.c_str(), out.c_str());
    return kToolOk;
}
