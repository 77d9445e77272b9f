#include "import/dxf_import.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <new>
#include <optional>
#include <string>

#include "base/console.h"
#include "import/dxf_reader.h"
#include "import/import_path.h"
#include "import/import_progress.h"
#include "import/import_stream.h"
#include "import/run_chain.h"
#include "patterns/pattern.h"

namespace {

// Coordinates beyond this are not a drawing but a corrupt number. Within it, the normalised
// pattern stays inside what the pattern loader accepts.
constexpr double kMaxDrawingCoordinate = kPatternCoordinateMax / 2;
// pi / 180 and 2 pi as the conversion has always used them, in single precision.
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kFullTurn = 6.2831855f;
// Successive arc points lie this far apart along the curve (inches).
constexpr double kChordLength = 0.1;
// Runs closer than this are sewn through without a new stroke (inches).
constexpr float kSewnGap = 0.25f;

bool Usable(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxDrawingCoordinate; }

// "./dxf.log": what was read, for whoever has to find out why a drawing came out odd. A log
// that cannot be opened is not a reason to refuse the drawing.
class DxfLog {
public:
    DxfLog() : file_(std::fopen("./dxf.log", "w")) {}
    ~DxfLog()
    {
        if (file_)
            std::fclose(file_);
    }
    DxfLog(const DxfLog&) = delete;
    DxfLog& operator=(const DxfLog&) = delete;
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (!file_)
            return;
        va_list args;
        va_start(args, format);
        std::vfprintf(file_, format, args);
        va_end(args);
    }

private:
    std::FILE* file_;
};

enum class Step { Ok, Fail, EndOfInput, Finished };

class DxfImport {
public:
    explicit DxfImport(std::string_view text)
        : reader_(text), progress_("CONVERTING DXF")
    {
    }
    int Run(std::FILE* output);

private:
    Step Scan();
    Step SkipBlock();
    // Hands each group of the current entity to `onGroup` up to the next group 0, which is
    // left unread. `onGroup` returns nothing to go on, or the step to end with.
    template <typename OnGroup>
    Step ForEachGroup(OnGroup onGroup);
    Step ReadText();
    Step ReadEntity(std::string_view type, std::size_t afterType);
    Step ReadPolyline();
    Step ReadVertexPairs();
    Step ReadLineOrPoint(bool isLine);
    Step ReadCircleOrArc(bool isArc);
    void AddArc(const DxfGroupValues& v, double start, double sweep, bool inclusive,
                double closingAngle);
    bool Add(double x, double y);
    bool Write(std::FILE* output);

    TextScanner reader_;
    ImportDrawing drawing_;
    ImportProgress progress_;
    DxfLog log_;
    std::uint8_t skipLineCount = 0;  // LINEs still to drop; wraps like the byte it always was
    std::string token_;              // the layer and line type looked up
};

bool DxfImport::Add(double x, double y)
{
    progress_.Step();
    return drawing_.newPoint(x, y);
}

int DxfImport::Run(std::FILE* output)
{
    progress_.SetText("Gathering Points");
    const Step scanned = Scan();
    if (scanned == Step::Fail)
        return -1;
    if (drawing_.overBudget()) {
        ConsolePrintf("DXF drawing needs more than %zu points: not converted\n", kMaxImportPoints);
        return -1;
    }
    drawing_.DropEmptyRuns();

    progress_.SetText("Find Min and Max");
    const ImportExtent extent = FindMinAndMax(drawing_.runs());
    progress_.SetText("Adjust Points");
    AdjustPoints(drawing_.runs(), extent);
    progress_.SetText("Invert Pattern");
    InvertPattern(drawing_.runs(), extent.maxY - extent.minY);

    progress_.SetText("Writing Output File");
    return Write(output) ? 0 : -1;
}

Step DxfImport::Scan()
{
    for (;;) {
        progress_.Step();
        std::string_view token;
        if (!reader_.NextToken(token))
            return Step::EndOfInput;
        if (token != "0")  // any token "0", code or value, may start an entity
            continue;
        const std::size_t typePos = reader_.Tell();
        std::string_view type;
        if (!reader_.NextToken(type))
            return Step::EndOfInput;
        Step step = Step::Ok;
        if (type == "LINE" || type == "CIRCLE" || type == "ARC" || type == "POINT" ||
            type == "POLYLINE" || type == "LWPOLYLINE" || type == "SPLINE")
            step = ReadEntity(type, reader_.Tell());
        else if (type == "BLOCK")
            step = SkipBlock();
        else if (type == "TEXT")
            step = ReadText();
        else if (type == "EOF")
            return Step::Finished;
        else
            reader_.Seek(typePos);
        if (step != Step::Ok)
            return step;
        if (drawing_.overBudget())
            return Step::Finished;
    }
}

// Block definitions are drawn only where they are inserted, and insertions are not followed.
Step DxfImport::SkipBlock()
{
    std::string_view token;
    for (;;) {
        if (!reader_.NextToken(token))
            return Step::Fail;
        if (token != "0")
            continue;
        const std::size_t afterZero = reader_.Tell();
        if (!reader_.NextToken(token))
            return Step::Fail;
        if (token == "ENDBLK")
            return Step::Ok;
        reader_.Seek(afterZero);
    }
}

template <typename OnGroup>
Step DxfImport::ForEachGroup(OnGroup onGroup)
{
    for (;;) {
        const std::size_t before = reader_.Tell();
        int code = 0;
        if (ReadGroupCode(reader_, code) != DxfCode::Read)
            return Step::Fail;
        if (code == 0) {
            reader_.Seek(before);
            return Step::Ok;
        }
        std::string_view value;
        if (!ReadGroupValue(reader_, value))
            return Step::Fail;
        if (std::optional<Step> end = onGroup(code, value))
            return *end;
    }
}

Step DxfImport::ReadText()
{
    return ForEachGroup([this](int code, std::string_view value) -> std::optional<Step> {
        if (code == 1 && value == "STOPPING_MACRO LINETYPE")
            ++skipLineCount;
        return std::nullopt;
    });
}

Step DxfImport::ReadEntity(std::string_view type, std::size_t afterType)
{
    // The layer is looked up and ignored. Every reader below starts again from the entity's
    // first pair, so values that come before the layer (or an entity without one) are read.
    if (get_string(reader_, 8, token_) == 0)
        return Step::Fail;
    reader_.Seek(afterType);

    if (type == "LINE" || type == "POINT")
        return ReadLineOrPoint(type == "LINE");
    drawing_.StartRun();
    if (type == "POLYLINE")
        return ReadPolyline();
    if (type == "LWPOLYLINE" || type == "SPLINE")
        return ReadVertexPairs();
    return ReadCircleOrArc(type == "ARC");
}

Step DxfImport::ReadLineOrPoint(bool isLine)
{
    DxfGroupValues v;
    if (get_values(reader_, v) == 0) {
        if (isLine)
            log_.Print("Failed on LINE\n");
        return Step::Fail;
    }
    if (isLine) {
        // The line type is read with the values, wherever it stands among them; most
        // drawings leave it out altogether.
        if (v.lineType == "DASHED")
            ++skipLineCount;
        if (skipLineCount != 0) {
            --skipLineCount;
            return Step::Ok;
        }
    }
    if (!Usable(v.x1) || !Usable(v.y1) || (isLine && (!Usable(v.x2) || !Usable(v.y2))))
        return Step::Ok;  // a corrupt number: the entity is left out
    drawing_.StartRun();
    Add(v.x1, v.y1);
    if (isLine) {
        Add(v.x2, v.y2);
        log_.Print("Added points of LINE ( %0.3f, %0.3f ) ( %0.3f, %0.3f )\n", v.x1, v.y1, v.x2,
                   v.y2);
    }
    return Step::Ok;
}

Step DxfImport::ReadPolyline()
{
    log_.Print("Found Polyline");
    DxfGroupValues v;
    if (get_values(reader_, v) == 0)
        return Step::Fail;
    log_.Print("...\n");
    std::string_view token;
    for (;;) {
        progress_.Step();
        if (!reader_.NextToken(token)) {
            log_.Print("End Polyline\n");
            return Step::EndOfInput;
        }
        if (token == "SEQEND") {
            log_.Print("End Polyline\n");
            return Step::Ok;
        }
        if (token != "VERTEX")
            continue;
        if (get_values(reader_, v) == 0) {
            if (!reader_.AtEnd())
                return Step::Fail;
            log_.Print("End Polyline\n");
            return Step::EndOfInput;
        }
        // Bulges and the closed flag are not used: vertices are joined by straight stitches.
        if (Usable(v.x1) && Usable(v.y1) && !Add(v.x1, v.y1))
            return Step::Ok;
        log_.Print("p X1-%0.3f Y1-%0.3f\tX2-%0.3f Y2-%0.3f\n", v.x1, v.y1, v.x2, v.y2);
    }
}

// LWPOLYLINE vertices and SPLINE control points: every group 10 / group 20 pair is a point.
Step DxfImport::ReadVertexPairs()
{
    bool haveX = false, haveY = false;
    double x = 0, y = 0;
    return ForEachGroup([&](int code, std::string_view value) -> std::optional<Step> {
        if (code == 10) {
            if (!ParseDxfNumber(value, x))
                return Step::Fail;
            haveX = true;
        } else if (code == 20) {
            if (!ParseDxfNumber(value, y))
                return Step::Fail;
            haveY = true;
        }
        if (haveX && haveY) {
            haveX = haveY = false;
            if (Usable(x) && Usable(y) && !Add(x, y))
                return Step::Ok;
        }
        return std::nullopt;
    });
}

// Angles of an arc as degrees in [0, 360]; other values (-90, 450) name the same direction.
double NormalDegrees(double degrees)
{
    if (degrees >= 0 && degrees <= 360)
        return degrees;
    double d = std::fmod(degrees, 360.0);
    if (d < 0)
        d += 360.0;
    return d;
}

Step DxfImport::ReadCircleOrArc(bool isArc)
{
    DxfGroupValues v;
    if (get_values(reader_, v) == 0)
        return Step::Fail;
    // A radius that is not positive draws nothing, and a corrupt number draws nonsense: the
    // entity is left out. Huge radii are drawn with longer chords (see ArcAngles).
    if (!Usable(std::fabs(v.x1) + v.radius) || !Usable(std::fabs(v.y1) + v.radius) ||
        !(v.radius > 0) ||
        !std::isfinite(v.startAngle) || !std::isfinite(v.endAngle))
        return Step::Ok;
    if (!isArc) {
        AddArc(v, 0.0, kFullTurn, true, kFullTurn);
        return Step::Ok;
    }
    // Counter-clockwise from start to end; an end below the start passes through angle 0.
    // The two are compared in degrees as given: rounded to single precision, an end a hair
    // below its start (a full circle drawn as an arc) could come out above it and leave the
    // arc a dot.
    const double startDegrees = NormalDegrees(v.startAngle);
    const double endDegrees = NormalDegrees(v.endAngle);
    double sweepDegrees = endDegrees - startDegrees;
    if (sweepDegrees < 0)
        sweepDegrees += 360.0;
    const double start = startDegrees * kDegreesToRadians;
    const double sweep = sweepDegrees * kDegreesToRadians;
    const double endRad = endDegrees * kDegreesToRadians;
    AddArc(v, start, sweep, false, endRad);
    return Step::Ok;
}

void DxfImport::AddArc(const DxfGroupValues& v, double start, double sweep, bool inclusive,
                       double closingAngle)
{
    const double step = static_cast<float>(kChordLength / v.radius);
    for (double a : ArcAngles(start, sweep, step, inclusive)) {
        const double angle = static_cast<float>(a);
        if (!Add(v.x1 + v.radius * std::cos(angle), v.y1 + v.radius * std::sin(angle)))
            return;
    }
    Add(v.x1 + v.radius * std::cos(closingAngle), v.y1 + v.radius * std::sin(closingAngle));
}

bool DxfImport::Write(std::FILE* out)
{
    const std::vector<ImportPath>& runs = drawing_.runs();
    std::fputs("c s\n", out);
    if (runs.empty())  // an empty drawing still makes a well-formed, empty pattern
        std::fputs("c e s\nc e e\nc s\n", out);
    for (const ChainLink& link : ChainRuns(runs)) {
        progress_.Step();
        const std::vector<ImportPoint>& points = runs[link.run].points;
        std::fputs("c e s\n", out);
        if (link.backwards) {
            for (auto p = points.rbegin(); p != points.rend(); ++p)
                WritePatternPoint(out, *p);
        } else {
            for (const ImportPoint& p : points)
                WritePatternPoint(out, p);
        }
        std::fputs("c e e\n", out);
        if (link.gapAfter > kSewnGap)
            std::fputs("c s\n", out);
    }
    return std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace

int ConvertDXFText(std::string_view text, std::FILE* output)
{
    try {
        DxfImport import(text);
        return import.Run(output);
    } catch (const std::bad_alloc&) {
        ConsolePrintf("DXF drawing too large for memory: not converted\n");
        return -1;
    }
}

int ConvertDXF(std::FILE* input, std::FILE* output)
{
    std::string text;
    if (!ReadWholeStream(input, text))
        return -1;
    return ConvertDXFText(text, output);
}
