// Writing the layout records.
//
// The crash handler saves the layout with this code from inside a SIGSEGV handler, so it is
// written to be safe there: no allocation (the buffer is on the stack, strings are read in
// place), no stdio and no lock, only write(2). Every walk over a list is bounded by a count
// kept beside it, so a damaged list cannot hold the handler in a loop for long.

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

enum Marker : uint8_t {
    kExtents = 1,
    kPattern = 2,
    kBox = 4,
    kNode = 5,
    kArray = 6,
    kTerminator = 16,
};

// Little-endian bytes into a fixed buffer, flushed to a descriptor with write(2).
class RecordSink {
public:
    explicit RecordSink(int fd) : fd_(fd) {}

    void Byte(uint8_t b)
    {
        if (used_ == sizeof buffer_)
            Flush();
        buffer_[used_++] = b;
    }
    void Int(int32_t value) { Word(static_cast<uint32_t>(value)); }
    void Real(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Word(bits);
    }
    // A 256-byte text field: the string up to its first NUL, at most 255 characters, then
    // zeros. The string is read in place.
    void Text(const std::string& text)
    {
        const char* s = text.c_str();
        size_t n = strnlen(s, kLayoutTextBytes - 1);
        for (size_t i = 0; i < kLayoutTextBytes; ++i)
            Byte(i < n ? static_cast<uint8_t>(s[i]) : 0);
    }
    // Writes out what is buffered; false once any write has failed.
    bool Flush()
    {
        size_t done = 0;
        while (ok_ && done < used_) {
            ssize_t n = write(fd_, buffer_ + done, used_ - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ok_ = false;
            else
                done += static_cast<size_t>(n);
        }
        used_ = 0;
        return ok_;
    }

private:
    void Word(uint32_t w)
    {
        if (sizeof buffer_ - used_ < 4)
            Flush();
        buffer_[used_++] = static_cast<uint8_t>(w);
        buffer_[used_++] = static_cast<uint8_t>(w >> 8);
        buffer_[used_++] = static_cast<uint8_t>(w >> 16);
        buffer_[used_++] = static_cast<uint8_t>(w >> 24);
    }

    int fd_;
    bool ok_ = true;
    size_t used_ = 0;
    uint8_t buffer_[16384];
};

// Corners actually present, never more than the box claims to have.
int WritableCorners(const PatternBox* box)
{
    int n = 0;
    for (const BoxPoint* p = box->corners; p != nullptr && n < box->cornerCount; p = p->next)
        ++n;
    return n;
}

void Corners(RecordSink& out, const PatternBox* box)
{
    int n = WritableCorners(box);
    out.Int(n);
    const BoxPoint* p = box->corners;
    for (int i = 0; i < n; ++i, p = p->next) {
        out.Int(p->index);
        out.Real(p->x);
        out.Real(p->y);
    }
}

void Extents(RecordSink& out, const PatternBox* box)
{
    out.Byte(kExtents);
    out.Real(box->originX);
    out.Real(box->originY);
    out.Real(box->centerX);
    out.Real(box->centerY);
    out.Real(box->width);
    out.Real(box->height);
    out.Real(box->angle);
    Corners(out, box);
    out.Byte(kTerminator);
}

size_t Smallest(size_t a, size_t b, size_t c)
{
    size_t m = a < b ? a : b;
    return m < c ? m : c;
}

void PatternRecord(RecordSink& out, const Pattern* p)
{
    out.Byte(kPattern);
    out.Text(p->name);
    out.Text(p->spareText1);
    out.Text(p->spareText2);
    for (float v : {p->width, p->height, p->baseWidth, p->baseHeight, p->minX, p->maxX, p->minY,
                    p->maxY})
        out.Real(v);
    out.Int(p->rotation);
    out.Real(p->scaleX);
    out.Real(p->scaleY);

    // Counts always match their arrays; taking the smaller keeps the record readable if not.
    size_t points = Smallest(p->pointCount < 0 ? 0 : static_cast<size_t>(p->pointCount),
                             p->pointX.size(), p->pointY.size());
    out.Int(static_cast<int32_t>(points));
    for (size_t i = 0; i < points; ++i) {
        out.Real(p->pointX[i]);
        out.Real(p->pointY[i]);
    }
    size_t commands = Smallest(p->commandCount < 0 ? 0 : static_cast<size_t>(p->commandCount),
                               p->commandType.size(), p->commandPoint.size());
    out.Int(static_cast<int32_t>(commands));
    for (size_t i = 0; i < commands; ++i) {
        out.Int(static_cast<int32_t>(p->commandType[i]));
        out.Int(p->commandPoint[i]);
    }
    out.Byte(kTerminator);
}

void BoxRecord(RecordSink& out, const PatternBox* box)
{
    out.Byte(kBox);
    for (float v : {box->originX, box->originY, box->width, box->height, box->angle,
                    box->centerX, box->centerY})
        out.Real(v);
    Corners(out, box);
    out.Byte(kTerminator);
}

}  // namespace

bool layoutFileSyncs = true;

int WriteLayoutRecords(int fd)
{
    if (extents == nullptr)
        return 0;
    RecordSink out(fd);
    Extents(out, extents);

    // The reader puts the n-th pattern record into slot n and the n-th array record into the
    // n-th free array slot; the placements must name those positions, not today's slots.
    int patternPosition[kPatternSlots];
    int written = 0;
    for (int slot = 0; slot < kPatternSlots; ++slot) {
        const Pattern* p = GetPattern(slot);
        patternPosition[slot] = p != nullptr ? written++ : -1;
        if (p != nullptr)
            PatternRecord(out, p);
    }

    int boxes = 0;
    for (int slot = 0; slot < MAX_PATTERN_BOXES; ++slot) {
        const PatternBox* box = GetPatternBox(slot);
        if (box == nullptr)
            break;  // boxes fill the lowest slots without gaps
        BoxRecord(out, box);
        ++boxes;
    }

    int arrayPosition[MAX_ARRAYS];
    written = 0;
    for (int slot = 0; slot < MAX_ARRAYS; ++slot)
        arrayPosition[slot] = Arrays[slot] != nullptr ? written++ : -1;

    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        // A placement of a pattern or box that is not there could not be placed on loading.
        if (n->patternIndex < 0 || n->patternIndex >= kPatternSlots ||
            patternPosition[n->patternIndex] < 0 || n->boxIndex < 0 || n->boxIndex >= boxes)
            continue;
        bool inArray = n->arrayIndex >= 0 && n->arrayIndex < MAX_ARRAYS &&
                       arrayPosition[n->arrayIndex] >= 0;
        out.Byte(kNode);
        out.Int(n->boxIndex);
        out.Int(patternPosition[n->patternIndex]);
        out.Int(inArray ? arrayPosition[n->arrayIndex] : -1);
        out.Byte(n->isArrayParent == 1 ? 1 : 0);
        out.Real(n->x);
        out.Real(n->y);
        out.Byte(kTerminator);
    }

    for (const ArrayNode* a : Arrays) {
        if (a == nullptr)
            continue;
        out.Byte(kArray);
        out.Real(a->spacingDown);
        out.Real(a->spacingAcross);
        out.Int(a->rows);
        out.Int(a->columns);
        out.Byte(kTerminator);
    }
    return out.Flush() ? 1 : 0;
}

int WriteLayoutFileAt(const char* path, const char* partPath)
{
    int fd = open(partPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return 0;
    bool ok = WriteLayoutRecords(fd) == 1 && (!layoutFileSyncs || fsync(fd) == 0);
    ok = close(fd) == 0 && ok;
    if (ok && rename(partPath, path) == 0)
        return 1;
    unlink(partPath);
    return 0;
}
