#include "import/qli_import.h"

#include <charconv>
#include <cmath>
#include <new>
#include <string>

#include "base/console.h"
#include "import/import_path.h"
#include "import/import_progress.h"
#include "import/import_stream.h"
#include "import/text_scanner.h"
#include "patterns/pattern.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kChordLength = 0.1f;  // inches of arc per point
constexpr double kSewnGap = 0.25;     // inches

// Reads one "%d" or "%f" field of a comma-separated value and steps over the comma after it.
template <typename Number>
bool NextField(std::string_view& text, Number& value)
{
    std::string_view s = text;
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec != std::errc() || result.ptr == s.data())
        return false;
    text = s.substr(static_cast<std::size_t>(result.ptr - s.data()));
    if (!text.empty() && text[0] == ',')
        text.remove_prefix(1);
    else
        text = std::string_view();  // no comma: the fields after it are missing
    return true;
}

class QliImport {
public:
    explicit QliImport(std::string_view text) : scanner_(text), progress_("CONVERTING QLI") {}
    int Run(std::FILE* output);

private:
    void Read();
    void OpenRunIfMarked();
    void MoveTo(std::string_view value);
    void Arc(std::string_view value);
    void AddPoint(float x, float y);
    bool Write(std::FILE* output);

    TextScanner scanner_;
    ImportDrawing drawing_;
    ImportProgress progress_;
    float originX_ = 0, originY_ = 0;
    float currentX_ = 0, currentY_ = 0;
    bool newRun_ = true;
};

void QliImport::OpenRunIfMarked()
{
    if (newRun_) {
        drawing_.StartRun();
        newRun_ = false;
    }
}

void QliImport::AddPoint(float x, float y)
{
    progress_.Step();
    currentX_ = x;
    currentY_ = y;
    // Origins moved again and again can carry the pen beyond any quilt; such points are left
    // out rather than written where the pattern loader would refuse them.
    const float limit = static_cast<float>(kPatternCoordinateMax / 2);
    if (std::fabs(x) <= limit && std::fabs(y) <= limit)
        drawing_.newPoint(x, y);
}

// "VP x,y": a move to (x, y) thousandths of an inch from the origin.
void QliImport::MoveTo(std::string_view value)
{
    int x = 0, y = 0;
    if (!NextField(value, x))
        return;
    NextField(value, y);  // a missing Y counts as 0
    AddPoint(x / 1000.0f + originX_, y / 1000.0f + originY_);
}

// "CR r,start,sweep": an arc of radius r thousandths of an inch that starts where the pen
// stands, at `start` degrees around its centre, and turns `sweep` degrees (negative:
// clockwise). The first point repeats the pen's position.
void QliImport::Arc(std::string_view value)
{
    int radius = 0;
    float startDegrees = 0, sweepDegrees = 0;
    if (!NextField(value, radius))
        return;
    if (NextField(value, startDegrees))
        NextField(value, sweepDegrees);
    // A radius that is not positive has no centre to turn around, and a corrupt angle no
    // direction: such an arc is passed over like a value that does not parse. Angles are
    // taken modulo a turn so that single precision can still step them.
    if (radius <= 0 || !std::isfinite(startDegrees) || !std::isfinite(sweepDegrees))
        return;
    startDegrees = std::fmod(startDegrees, 360.0f);
    const float r = radius / 1000.0f;
    const float step = kChordLength / r;
    const float a = startDegrees * kDegreesToRadians;
    const float end = (startDegrees + sweepDegrees) * kDegreesToRadians;
    if (!std::isfinite(end))
        return;
    const float centreX = currentX_ - r * std::cos(a);
    const float centreY = currentY_ - r * std::sin(a);
    for (double b : ArcAngles(a, static_cast<double>(end) - a, step, false)) {
        const float angle = static_cast<float>(b);
        AddPoint(centreX + r * std::cos(angle), centreY + r * std::sin(angle));
        if (drawing_.overBudget())
            return;
    }
    AddPoint(centreX + r * std::cos(end), centreY + r * std::sin(end));
}

void QliImport::Read()
{
    std::string_view token, value, rest;
    while (scanner_.NextToken(token) && !drawing_.overBudget()) {
        progress_.Step();
        if (token == "VP" || token == "CR") {
            if (!scanner_.NextToken(value))
                return;
            OpenRunIfMarked();
            if (token == "VP")
                MoveTo(value);
            else
                Arc(value);
        } else if (token == "VE") {
            originX_ = currentX_;
            originY_ = currentY_;
            ConsolePrintf("New origin set to %0.3f, %0.3f\n", originX_, originY_);
            newRun_ = true;
        } else if (token == "NO" || token == "REM") {
            scanner_.NextLine(rest);
        } else if (token == "EN") {
            return;
        }
    }
}

int QliImport::Run(std::FILE* output)
{
    progress_.SetText("Gathering Points");
    Read();
    if (drawing_.overBudget()) {
        ConsolePrintf("QLI file needs more than %zu points: not converted\n", kMaxImportPoints);
        return 0;
    }
    drawing_.DropEmptyRuns();

    // The largest Y is taken before the points move, so the pattern keeps the Y range it was
    // drawn at; the pattern loader moves every pattern to its own origin anyway.
    progress_.SetText("Find Min and Max");
    const ImportExtent extent = FindMinAndMax(drawing_.runs());
    progress_.SetText("Adjust Points");
    AdjustPoints(drawing_.runs(), extent);
    progress_.SetText("Invert Pattern");
    InvertPattern(drawing_.runs(), extent.maxY);

    if (drawing_.runs().empty())
        return 1;  // nothing to write: an empty pattern file
    progress_.SetText("Writing Output File");
    return Write(output) ? 1 : 0;
}

bool QliImport::Write(std::FILE* out)
{
    const std::vector<ImportPath>& runs = drawing_.runs();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        progress_.Step();
        std::fputs("c e s\n", out);
        for (const ImportPoint& p : runs[i].points)
            WritePatternPoint(out, p);
        std::fputs("c e e\n", out);
        if (i + 1 < runs.size()) {
            const ImportPoint& end = runs[i].last();
            const ImportPoint& next = runs[i + 1].first();
            if (std::hypot(next.x - end.x, next.y - end.y) > kSewnGap)
                std::fputs("c s\n", out);
        }
    }
    std::fputs("c s\n", out);
    return std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace

int ImportQLIText(std::string_view text, std::FILE* output)
{
    try {
        QliImport import(text);
        return import.Run(output);
    } catch (const std::bad_alloc&) {
        ConsolePrintf("QLI file too large for memory: not converted\n");
        return 0;
    }
}

int ImportQLI(std::FILE* input, std::FILE* output)
{
    std::string text;
    if (!ReadWholeStream(input, text))
        return 0;
    return ImportQLIText(text, output);
}
