// Reading a layout file into the current layout.
//
// The file may come from anywhere (a USB stick, a crash, an old version), so nothing in it
// is trusted: every count is checked against the bytes the file still holds before anything
// is allocated, every real must be a finite number of sane size, tables that are full drop
// their extra records, and placements that name a pattern or box that did not arrive are
// removed before the layout is handed back. Whatever happens, the layout left behind is
// consistent.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

double SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

constexpr char kRecoveryPath[] = "./Layout/recovery.qlf";
constexpr char kReadError[] = "ERROR READING LAYOUT FILE.";
constexpr char kOpenError[] = "COULD NOT OPEN LAYOUT FILE.";
constexpr char kTimedOut[] = "LAYOUT FILE TOOK TOO LONG TO READ.";

// Buffered little-endian reads that know how many bytes the file still holds.
class RecordSource {
public:
    RecordSource(int fd, long long size) : fd_(fd), left_(size) {}

    // Bytes not yet read, as the file's size promised them.
    long long Left() const { return left_ + static_cast<long long>(end_ - pos_); }
    // Whether `count` items of `bytes` each (plus `more`) can still be in the file.
    bool Holds(long long count, long long bytes, long long more = 0) const
    {
        return count >= 0 && count <= (Left() - more) / bytes;
    }

    bool Byte(uint8_t* b)
    {
        if (pos_ == end_ && !Fill())
            return false;
        *b = buffer_[pos_++];
        return true;
    }
    bool Int(int32_t* v)
    {
        uint32_t w;
        if (!Word(&w))
            return false;
        *v = static_cast<int32_t>(w);
        return true;
    }
    bool Real(float* v)
    {
        uint32_t w;
        if (!Word(&w))
            return false;
        std::memcpy(v, &w, sizeof w);
        return true;
    }
    // A 256-byte text field: the characters before the first NUL, at most 255.
    bool Text(std::string* text)
    {
        char raw[kLayoutTextBytes];
        for (char& c : raw) {
            uint8_t b;
            if (!Byte(&b))
                return false;
            c = static_cast<char>(b);
        }
        *text = std::string(raw, strnlen(raw, kLayoutTextBytes - 1));
        return true;
    }

private:
    bool Word(uint32_t* w)
    {
        uint8_t b[4];
        if (end_ - pos_ >= 4) {  // the usual case, without a check per byte
            std::memcpy(b, buffer_ + pos_, 4);
            pos_ += 4;
        } else {
            for (uint8_t& x : b)
                if (!Byte(&x))
                    return false;
        }
        *w = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool Fill()
    {
        ssize_t n;
        do
            n = read(fd_, buffer_, sizeof buffer_);
        while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        pos_ = 0;
        end_ = static_cast<size_t>(n);
        left_ -= n;
        return true;
    }

    int fd_;
    long long left_;  // bytes of the file not yet in the buffer
    size_t pos_ = 0, end_ = 0;
    uint8_t buffer_[65536];
};

enum class ReadResult { Done, Broken, TimedOut };

// A real of the file is used only when it is a finite number no quilt could exceed, so no
// later sum or conversion to machine units can overflow.
bool Sane(float v)
{
    return std::isfinite(v) && std::fabs(v) <= kPatternCoordinateMax;
}

bool Reals(RecordSource& in, std::initializer_list<float*> fields)
{
    for (float* f : fields)
        if (!in.Real(f) || !Sane(*f))
            return false;
    return true;
}

void Terminator(RecordSource& in, const char* complaint)
{
    uint8_t b;
    // A missing terminator is only noted: the next byte is read as a marker either way.
    if (!in.Byte(&b) || b != 16)
        ConsoleLine(complaint);
}

bool ReadCorners(RecordSource& in, PatternBox* box)
{
    int32_t count;
    if (!in.Int(&count) || !in.Holds(count, 12))
        return false;
    BoxPoint** tail = &box->corners;
    for (int32_t i = 0; i < count; ++i) {
        BoxPoint* p = new BoxPoint();
        *tail = p;  // linked at once, so the box owns it even if the rest fails
        tail = &p->next;
        box->cornerCount = i + 1;
        if (!in.Int(&p->index) || !Reals(in, {&p->x, &p->y}))
            return false;
    }
    return true;
}

bool ReadExtents(RecordSource& in)
{
    PatternBox* box = new PatternBox();
    bool ok = Reals(in, {&box->originX, &box->originY, &box->centerX, &box->centerY,
                         &box->width, &box->height, &box->angle}) &&
              ReadCorners(in, box);
    if (!ok) {
        delete box;
        return false;
    }
    delete extents;  // a second extents record replaces the first
    extents = box;
    Terminator(in, "Extents not read successfully");
    return true;
}

bool ReadPatternBody(RecordSource& in, Pattern* p)
{
    if (!in.Text(&p->name) || !in.Text(&p->spareText1) || !in.Text(&p->spareText2))
        return false;
    if (!Reals(in, {&p->width, &p->height, &p->baseWidth, &p->baseHeight, &p->minX, &p->maxX,
                    &p->minY, &p->maxY}))
        return false;
    int32_t rotation, points, commands;
    if (!in.Int(&rotation) || !Reals(in, {&p->scaleX, &p->scaleY}))
        return false;
    p->rotation = rotation;
    // Room for the points and the command count that follows them.
    if (!in.Int(&points) || !in.Holds(points, 8, 4))
        return false;
    p->pointX.resize(points);
    p->pointY.resize(points);
    for (int32_t i = 0; i < points; ++i)
        if (!Reals(in, {&p->pointX[i], &p->pointY[i]}))
            return false;
    p->pointCount = points;
    if (!in.Int(&commands) || !in.Holds(commands, 8))
        return false;
    p->commandType.resize(commands);
    p->commandPoint.resize(commands);
    for (int32_t i = 0; i < commands; ++i) {
        int32_t kind = 0;
        if (!in.Int(&kind) || !in.Int(&p->commandPoint[i]))
            return false;
        p->commandType[i] = static_cast<CommandKind>(kind);
    }
    p->commandCount = commands;
    return true;
}

bool ReadPattern(RecordSource& in)
{
    Pattern* p = new Pattern();
    if (!ReadPatternBody(in, p)) {
        erasePattern(p);
        return false;
    }
    Terminator(in, "Pattern not read successfully");
    if (patternList->usedCount >= kPatternSlots || !StorePattern(patternList->usedCount, p)) {
        ConsoleLine("Layout file holds more patterns than there are slots: pattern ignored");
        erasePattern(p);
    }
    return true;
}

bool ReadBox(RecordSource& in)
{
    currentBox = 0;
    PatternBox* box = new PatternBox();
    bool ok = Reals(in, {&box->originX, &box->originY, &box->width, &box->height, &box->angle,
                         &box->centerX, &box->centerY}) &&
              ReadCorners(in, box);
    if (!ok) {
        delete box;
        return false;
    }
    Terminator(in, "Pattern Box not read successfully");
    if (patternBoxList->count >= MAX_PATTERN_BOXES) {
        ConsoleLine("Layout file holds more pattern boxes than there are slots: box ignored");
        delete box;
    } else {
        patternBoxList->boxes[patternBoxList->count++] = box;
    }
    return true;
}

bool ReadNode(RecordSource& in, LayoutNode**& tail)
{
    int32_t box, pattern, array;
    uint8_t parent;
    float x, y;
    if (!in.Int(&box) || !in.Int(&pattern) || !in.Int(&array) || !in.Byte(&parent) ||
        !Reals(in, {&x, &y}))
        return false;
    LayoutNode* node = new LayoutNode();
    node->boxIndex = box;
    node->patternIndex = pattern;
    node->arrayIndex = array;
    node->isArrayParent = parent == 1 ? 1 : 0;
    node->x = x;
    node->y = y;
    node->origin = node;
    *tail = node;
    tail = &node->next;
    Terminator(in, "Layout Data not read successfully");
    return true;
}

bool ReadArray(RecordSource& in)
{
    float down, across;
    int32_t rows, columns;
    if (!Reals(in, {&down, &across}) || !in.Int(&rows) || !in.Int(&columns) || rows < 0 ||
        columns < 0)
        return false;
    if (NewArrayNode(rows, down, columns, across) < 0)
        ConsoleLine("Layout file holds more arrays than there are slots: array ignored");
    Terminator(in, "Array Data not read successfully");
    return true;
}

void SkipName(RecordSource& in)
{
    uint8_t b;
    while (in.Byte(&b) && b != 16) {
    }
}

ReadResult ReadRecords(RecordSource& in)
{
    const double start = layoutClockForTest();
    LayoutNode** tail = &patternLayout;
    for (;;) {
        if (layoutClockForTest() - start > kLayoutReadSeconds) {
            ConsoleLine("Load Layout timed out");
            return ReadResult::TimedOut;
        }
        uint8_t marker;
        if (!in.Byte(&marker) || marker == 255)
            return ReadResult::Done;
        bool ok = true;
        switch (marker) {
        case 1: ok = ReadExtents(in); break;
        case 2: ok = ReadPattern(in); break;
        case 3: SkipName(in); break;
        case 4: ok = ReadBox(in); break;
        case 5: ok = ReadNode(in, tail); break;
        case 6: ok = ReadArray(in); break;
        default: break;  // stray bytes, terminators among them, are passed over
        }
        if (!ok)
            return ReadResult::Broken;
    }
}

// Removes placements that cannot be placed; a reference to an array that did not arrive is
// cleared. Returns the number of placements removed.
int DropUnplaceableNodes()
{
    int dropped = 0;
    LayoutNode** link = &patternLayout;
    while (*link != nullptr) {
        LayoutNode* n = *link;
        if (GetPattern(n->patternIndex) == nullptr || GetPatternBox(n->boxIndex) == nullptr) {
            *link = n->next;
            delete n;
            ++dropped;
            continue;
        }
        if (n->arrayIndex != -1 && GetArrayNode(n->arrayIndex) == nullptr) {
            n->arrayIndex = -1;
            n->isArrayParent = 0;
        }
        link = &n->next;
    }
    return dropped;
}

// Empties the layout. The globals are detached before anything is freed, so the crash
// handler, which may read them at any moment, only ever finds a whole old layout or a whole
// empty one.
void ReleaseLayout()
{
    LayoutNode* nodes = patternLayout;
    PatternList* patterns = patternList;
    PatternBox* oldExtents = extents;
    PatternBoxList* boxes = patternBoxList;
    auto arrays = Arrays;
    patternLayout = nullptr;
    // The selection named a placement of the layout being dropped.
    interface_.selectedNode = nullptr;
    patternList = nullptr;
    extents = nullptr;
    patternBoxList = nullptr;
    Arrays.fill(nullptr);
    ResetLayout();
    UiRunPendingEvents();

    FreeLayoutList(nodes);
    UiRunPendingEvents();
    FreePatternList(patterns);
    UiRunPendingEvents();
    delete oldExtents;
    delete boxes;
    UiRunPendingEvents();
    for (ArrayNode* a : arrays)
        delete a;
    UiRunPendingEvents();
}

}  // namespace

double (*layoutClockForTest)() = SteadySeconds;

namespace {

// Opens a regular file for reading; -1 for anything else (a folder or a device is no layout
// file).
int OpenLayoutFile(const std::string& path, long long* size)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        return -1;
    }
    if (fd >= 0)
        *size = static_cast<long long>(st.st_size);
    return fd;
}

// Replaces the current layout with the records of the open file and closes it. Placements
// left without their pattern or box are dropped and make the read a broken one.
ReadResult ReadOpenLayoutFile(int fd, long long size)
{
    ReleaseLayout();
    // Every placement is gone: a selection kept now would point at freed memory.
    interface_.selectedNode = nullptr;
    RecordSource in(fd, size);
    ReadResult result = ReadRecords(in);
    close(fd);

    int dropped = DropUnplaceableNodes();
    if (dropped > 0) {
        ConsolePrintf("Layout file places %d pattern(s) in missing patterns or boxes: dropped\n",
                      dropped);
        if (result == ReadResult::Done)
            result = ReadResult::Broken;
    }
    return result;
}

}  // namespace

int ReadLayoutFile(const std::string& path, std::string* problem)
{
    long long size = 0;
    int fd = OpenLayoutFile(path, &size);
    std::string why;
    int read = 0;
    if (fd < 0) {
        why = kOpenError;
    } else {
        switch (ReadOpenLayoutFile(fd, size)) {
        case ReadResult::Done: read = 1; break;
        case ReadResult::Broken: why = kReadError; break;
        case ReadResult::TimedOut: why = kTimedOut; break;
        }
    }
    if (problem != nullptr)
        *problem = why;
    return read;
}

int LoadLayout(const std::string& path, int /*discardCurrent*/, int skipQuestion)
{
    long long size = 0;
    int fd = OpenLayoutFile(path, &size);
    if (fd < 0) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, kOpenError);
        return 0;
    }

    if (path != kRecoveryPath) {
        if (skipQuestion == 0 &&
            ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                        "THIS WILL ERASE ALL CURRENT LAYOUT INFORMATION.\n\nCONTINUE?") !=
                RESPONSE_OK) {
            close(fd);
            return 0;
        }
        waitWindow = CreateWaitingWindow("\n\nLOADING LAYOUT FILE", 0);
        interface_.current_layout = path.size() >= 4 ? path.substr(0, path.size() - 4) : "";
        ConsolePrintf("interface->current_layout = %s\n", interface_.current_layout.c_str());
    }

    UiRunPendingEvents();
    switch (ReadOpenLayoutFile(fd, size)) {
    case ReadResult::TimedOut:
        return 0;
    case ReadResult::Broken:
        ShowMessage(MSG_ERROR, BUTTONS_OK, kReadError);
        return 0;
    case ReadResult::Done:
        break;
    }
    UiRunPendingEvents();
    return 1;
}
