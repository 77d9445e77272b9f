// Reading and writing pattern files, and growing a pattern line by line.
#include "base/message_windows.h"
#include "base/console.h"
#include "patterns/pattern.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum class LineKind { Ignored, Name, Point, Command, BadPoint };

struct ParsedLine {
    LineKind kind = LineKind::Ignored;
    std::string text;    // Name
    float x = 0, y = 0;  // Point
    CommandKind command = CommandKind::Start;  // Command
};

// Both the reader and addData understand the same three line forms; they differ only in
// how forgiving the command letters are. `fromFile` selects the reader's rules: a capital F
// is a feed, and "c e" followed by anything but "s" or "e" is no command at all.
ParsedLine ParseLine(const char* line, bool fromFile)
{
    ParsedLine out;
    size_t len = std::strlen(line);
    if (len == 0)
        return out;
    switch (line[0]) {
    case 'n':
        out.kind = LineKind::Name;
        if (len > 2)
            out.text.assign(line + 2, std::min(len - 2, kPatternTextMax));
        return out;
    case 'p': {
        const char* xs = std::strchr(line, 'X');
        const char* ys = std::strchr(line, 'Y');
        if (xs == nullptr || ys == nullptr)
            return out;
        double x = std::strtod(xs + 1, nullptr);
        double y = std::strtod(ys + 1, nullptr);
        // A NaN or infinity (or a number too big for any quilt) would poison every sum and
        // bounding box after it, so such a point is not taken.
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kPatternCoordinateMax ||
            std::fabs(y) > kPatternCoordinateMax) {
            out.kind = LineKind::BadPoint;
            return out;
        }
        out.kind = LineKind::Point;
        out.x = static_cast<float>(x);
        out.y = static_cast<float>(y);
        return out;
    }
    case 'c': {
        char third = len > 2 ? line[2] : '\0';
        char fifth = len > 4 ? line[4] : '\0';
        if (third == 's')
            out.command = CommandKind::Start;
        else if (third == 'f' || (fromFile && third == 'F'))
            out.command = CommandKind::Feed;
        else if (third == 'e' && fifth == 's')
            out.command = CommandKind::EntityStart;
        else if (third == 'e' && (fifth == 'e' || !fromFile))
            out.command = CommandKind::EntityEnd;
        else
            return out;  // letters of no known command: dropped, nothing could write it back
        out.kind = LineKind::Command;
        return out;
    }
    default:
        return out;
    }
}

// Keeps every pattern inside a square of kPatternCoordinateMax inches: then the shifted
// points that the writer prints are readable again, and no extent can overflow.
bool PointFits(const Pattern* p, float x, float y)
{
    if (p->pointCount == 0)
        return true;
    const float limit = static_cast<float>(kPatternCoordinateMax);
    return std::max(p->maxX, x) - std::min(p->minX, x) <= limit &&
           std::max(p->maxY, y) - std::min(p->minY, y) <= limit;
}

void AddPoint(Pattern* p, float x, float y)
{
    p->pointX.push_back(x);
    p->pointY.push_back(y);
    p->pointCount = static_cast<int>(p->pointX.size());
    if (x < p->minX) p->minX = x;
    if (x > p->maxX) p->maxX = x;
    if (y < p->minY) p->minY = y;
    if (y > p->maxY) p->maxY = y;
}

void AddCommand(Pattern* p, CommandKind kind, int beforePoint)
{
    p->commandType.push_back(kind);
    p->commandPoint.push_back(beforePoint);
    p->commandCount = static_cast<int>(p->commandType.size());
}

void AddName(Pattern* p, const std::string& text)
{
    p->names.push_back(text);
    p->nameCount = static_cast<int>(p->names.size());
}

// Puts the record back to its creation values, keeping nothing of an earlier file.
void ResetPattern(Pattern* p)
{
    clearPattern(p);
    Pattern fresh;
    p->name.clear();
    p->width = fresh.width;
    p->height = fresh.height;
    p->baseWidth = fresh.baseWidth;
    p->baseHeight = fresh.baseHeight;
    p->minX = fresh.minX;
    p->minY = fresh.minY;
    p->maxX = fresh.maxX;
    p->maxY = fresh.maxY;
}

// What a file too short to hold a pattern leaves in the record.
void MakeEmptyPattern(Pattern* p)
{
    ResetPattern(p);
    AddPoint(p, 0, 0);
    AddPoint(p, 0, 0);
    AddName(p, "Empty Pattern");
    p->minX = p->minY = p->maxX = p->maxY = 0;
    p->width = p->height = 0;
}

std::string BaseNameWithoutExtension(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    base = base.size() > 4 ? base.substr(0, base.size() - 4) : std::string();
    if (base.size() > kPatternTextMax)
        base.resize(kPatternTextMax);
    return base;
}

const char* CommandLine(CommandKind kind)
{
    switch (kind) {
    case CommandKind::Start: return "c s";
    case CommandKind::Feed: return "c f 10";
    case CommandKind::EntityStart: return "c e s";
    case CommandKind::EntityEnd: return "c e e";
    default: return nullptr;
    }
}

}  // namespace

int openPattern(Pattern* pattern, const std::string& path)
{
    if (pattern == nullptr)
        return 0;
    ResetPattern(pattern);
    if (path.find("/media/usb/") != std::string::npos && !CheckUSBIsIn())
        return 0;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return 0;
    pattern->name = BaseNameWithoutExtension(path);

    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    std::rewind(f);
    if (size <= kEmptyPatternFileBytes) {
        std::fclose(f);
        ConsolePrintf("pattern file is empty\n");
        std::string name = pattern->name;
        MakeEmptyPattern(pattern);
        pattern->name = name;
        return 0;
    }

    // One pass is enough: the arrays grow as they go. Lines are read in pieces of at most
    // kPatternLineMax characters; a longer line simply becomes several pieces.
    char piece[kPatternLineMax + 1];
    int skippedPoints = 0;
    while (std::fgets(piece, sizeof piece, f) != nullptr) {
        size_t len = std::strlen(piece);
        while (len > 0 && (piece[len - 1] == '\n' || piece[len - 1] == '\r'))
            piece[--len] = '\0';
        ParsedLine line = ParseLine(piece, true);
        switch (line.kind) {
        case LineKind::Name: AddName(pattern, line.text); break;
        case LineKind::Point:
            if (PointFits(pattern, line.x, line.y))
                AddPoint(pattern, line.x, line.y);
            else
                ++skippedPoints;
            break;
        case LineKind::Command: AddCommand(pattern, line.command, pattern->pointCount + 1); break;
        case LineKind::BadPoint: ++skippedPoints; break;
        case LineKind::Ignored: break;
        }
    }
    bool readError = std::ferror(f) != 0;
    std::fclose(f);

    if (skippedPoints > 0) {
        ConsolePrintf("pattern file %s: skipped %d point(s) without finite coordinates "
                      "within %g inches\n",
                      path.c_str(), skippedPoints, kPatternCoordinateMax);
    }
    // A file without a single usable point has no extent; placing it would spread the
    // creation values of the bounding box over the layout.
    if (readError || pattern->pointCount == 0) {
        ConsolePrintf("pattern file %s holds no points\n", path.c_str());
        ResetPattern(pattern);
        return 0;
    }

    pattern->width = pattern->maxX - pattern->minX;
    pattern->height = pattern->maxY - pattern->minY;
    pattern->baseWidth = pattern->width;
    pattern->baseHeight = pattern->height;
    for (int i = 0; i < pattern->pointCount; ++i) {
        pattern->pointX[i] -= pattern->minX;
        pattern->pointY[i] -= pattern->minY;
    }
    pattern->maxX -= pattern->minX;
    pattern->maxY -= pattern->minY;
    if (patternFileSyncForTest != nullptr)
        patternFileSyncForTest();
    return 1;
}

void addData(Pattern* pattern, const std::string& lineText, int mode)
{
    if (pattern == nullptr)
        return;
    // The text is a C string as far as the file is concerned: stop at a NUL like the reader.
    ParsedLine line = ParseLine(lineText.c_str(), false);
    switch (line.kind) {
    case LineKind::Name: AddName(pattern, line.text); break;
    case LineKind::Point:
        if (PointFits(pattern, line.x, line.y)) {
            AddPoint(pattern, line.x, line.y);
            break;
        }
        [[fallthrough]];
    case LineKind::BadPoint:
        ConsolePrintf("addData: skipped a point without finite coordinates within %g inches\n",
                      kPatternCoordinateMax);
        break;
    case LineKind::Command:
        AddCommand(pattern, line.command, mode == 1 ? pattern->pointCount + 1 : pattern->pointCount);
        break;
    case LineKind::Ignored: break;
    }
    pattern->width = pattern->maxX - pattern->minX;
    pattern->height = pattern->maxY - pattern->minY;
}

int savePattern(const Pattern* pattern, const std::string& pathIn)
{
    if (pattern == nullptr)
        return 0;
    std::string path = pathIn.empty() ? pattern->name : pathIn;
    if (path.find(".qcc") == std::string::npos)
        path += ".qcc";
    if (path.size() > kPatternPathMax) {
        ConsolePrintf("pattern path too long (%zu characters, at most %zu): %s\n", path.size(),
                      kPatternPathMax, path.c_str());
        return 0;
    }
    FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr)
        return 0;

    for (const std::string& name : pattern->names)
        std::fprintf(f, "n %s\n", name.c_str());
    // A command stands before point k (1-based). Anything that claims to stand before the
    // first point (addData with mode 0 on an empty pattern gives 0) is written there rather
    // than lost; anything past the last point is written after it.
    const int points = pattern->pointCount;
    auto position = [&](int c) {
        int k = pattern->commandPoint[c];
        if (k < 1) k = 1;
        if (k > points) k = points + 1;
        return k;
    };
    auto writeCommandsAt = [&](int k) {
        for (int c = 0; c < pattern->commandCount; ++c) {
            if (position(c) != k)
                continue;
            if (const char* text = CommandLine(pattern->commandType[c]))
                std::fprintf(f, "%s\n", text);
        }
    };
    for (int i = 0; i < points; ++i) {
        writeCommandsAt(i + 1);
        std::fprintf(f, "p X%.3f Y%.3f\n", pattern->pointX[i], pattern->pointY[i]);
    }
    writeCommandsAt(points + 1);

    bool ok = std::ferror(f) == 0;
    ok = std::fclose(f) == 0 && ok;
    if (patternFileSyncForTest != nullptr)
        patternFileSyncForTest();
    return ok ? 1 : 0;
}
