#pragma once
// A pattern: one stitchable design, an ordered run of points in inches with a few commands
// that mark where a new stroke begins and where named sections (entities) start and end.
//
// Loaded patterns live in the 50 slots of `patternList`; everything else names a pattern by
// its slot number 0..49. A point i of a placed pattern lies at
//     box origin + node offset + (pointX[i] - minX, pointY[i] - minY).
// Loading shifts the points so that their smallest X and Y are 0 but leaves minX/minY at
// the values they had before the shift, so consumers always subtract minX/minY.
//
// The pattern file (".qcc") is text, one item per line:
//     n NAME            a name, kept in `names`
//     pX1.000Y2.000     a point (the writer prints "p X%.3f Y%.3f")
//     c s | c f 10 | c e s | c e e     a command before the next point
// Lines are read in pieces of at most 74 characters.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>
#include <vector>

// Command kinds (values of commandType).
enum class CommandKind : int {
    Start = 0,        // "c s": a new stroke begins; the move to this point is not sewn
    Feed = 1,         // "c f 10": kept and written back, nothing acts on it
    EntityStart = 2,  // "c e s"
    EntityEnd = 3,    // "c e e"
};

// Limits of the texts a pattern keeps. Longer texts are cut to this many characters.
constexpr size_t kPatternTextMax = 255;
// Longest path savePattern writes to (".qcc" included); longer paths are refused.
constexpr size_t kPatternPathMax = 78;
// Files of this many bytes or fewer hold no pattern.
constexpr long kEmptyPatternFileBytes = 17;
// Pieces longer than this are read as lines of their own.
constexpr size_t kPatternLineMax = 74;
// No quilt is this many inches: a point whose coordinate lies beyond it, or that would make
// the pattern wider or higher than it, is skipped like a non-finite one. So no later sum,
// difference or unit conversion can overflow, and a pattern written back reads the same.
constexpr double kPatternCoordinateMax = 1.0e6;

struct Pattern {
    std::string name;        // file base name without ".qcc"; at most kPatternTextMax chars
    std::string spareText1;  // carried through the layout file unchanged
    std::string spareText2;
    GdkPixbuf* thumbnail = nullptr;  // the pattern at the view's scale; one reference owned

    float width = 0, height = 0;          // maxX - minX, maxY - minY
    float baseWidth = 0, baseHeight = 0;  // as loaded; changed only by stretching
    float minX = 999999.0f, minY = 999999.0f;
    float maxX = -99999.0f, maxY = -99999.0f;
    int rotation = 0;                     // whole degrees applied so far
    float scaleX = 100.0f, scaleY = 100.0f;

    // Counts always equal the sizes of their arrays.
    int pointCount = 0;
    std::vector<float> pointX, pointY;    // inches
    int commandCount = 0;
    std::vector<CommandKind> commandType;
    std::vector<int> commandPoint;        // 1-based index of the point the command stands
                                          // before; > pointCount: after the last point
    int nameCount = 0;
    std::vector<std::string> names;       // each at most kPatternTextMax chars
};

constexpr int kPatternSlots = 50;

struct PatternList {
    int freeSlots = kPatternSlots;
    int usedCount = 0;
    Pattern* slots[kPatternSlots] = {};
};

// The loaded patterns. Allocated at start-up (NewPatternList) and re-created by layout loading.
extern PatternList* patternList;

// Makes a fresh, empty list and installs it as `patternList`, erasing the patterns of the
// old one. Returns the new list.
PatternList* NewPatternList();
// Erases every pattern of the list and the list itself; `patternList` becomes null when it
// was this list.
void FreePatternList(PatternList* list);

// --- Records -------------------------------------------------------------------------------

// With an empty path: a record with every field at its creation value. With a path: the
// pattern read by openPattern, or null when that fails. With makeThumbnail 1 the thumbnail
// is drawn through patternThumbnailHook (when the view has set it). The hull being fitted
// (patterns/geometry.h) is dropped: a new pattern starts a new fit.
Pattern* newPattern(const std::string& path = std::string(), int makeThumbnail = 0);
// Reads a pattern file into `pattern` (cleared first). 1 on success, 0 on failure; after a
// failure the record holds no points of the file.
int openPattern(Pattern* pattern, const std::string& path);
// Appends one pattern-file line. mode 1: a command belongs before the next point to be added;
// any other mode: before the last point already added.
void addData(Pattern* pattern, const std::string& line, int mode);
// Writes the pattern file (the pattern's name when path is empty; ".qcc" appended when the
// path lacks it). 1 on success; 0 when the file cannot be written or the path is longer
// than kPatternPathMax characters.
int savePattern(const Pattern* pattern, const std::string& path = std::string());
// Releases points, commands, names and the thumbnail; the record stays.
void clearPattern(Pattern* pattern);
// Clears and deletes the record (null is fine).
void erasePattern(Pattern* pattern);
// Recomputes the bounding box and width/height from the points; points are not moved.
void UpdatePatternSize(Pattern* pattern);

// --- Slots ---------------------------------------------------------------------------------

// The pattern in `slot`, or null for a slot outside 0..49, an empty slot or no list.
Pattern* GetPattern(int slot);
// The lowest empty slot, or -1 when every slot is used (or there is no list).
int GetNextPattern();
// Puts `pattern` into the empty `slot` and keeps the counts. 1 on success, 0 when the slot
// is out of range or used (the pattern then stays the caller's).
int StorePattern(int slot, Pattern* pattern);
// Erases the pattern in `slot` and empties it, keeping the counts.
void ReleasePatternSlot(int slot);

// --- Hooks for code that lives elsewhere ---------------------------------------------------

// Draws a pattern at the pattern view's current scale; returns a new pixbuf (one reference
// for the caller) or null. Set by the pattern view; null until then (no thumbnails).
extern GdkPixbuf* (*patternThumbnailHook)(const Pattern* pattern);
// Flushes file-system buffers after a pattern file was read or written (default: sync()).
// Tests count the calls; the fuzz target turns it off.
extern void (*patternFileSyncForTest)();

// For every used slot: UpdatePatternSize, drop the thumbnail, draw a new one (through
// patternThumbnailHook). Called after anything that changes pattern geometry or the scale.
void RefreshPatternPix();

// --- Saving from the user interface --------------------------------------------------------

// The work of the pattern view's "Save" pop-up entry: asks "SAVE AS:" on the keyboard,
// appends ".qcc", asks before overwriting a file of "./patterns/", and writes it there.
// 1 when the file was written (its path then in `savedPath` when given); 0 when cancelled,
// refused or not written. A file that cannot be written is reported ("COULD NOT SAVE
// PATTERN FILE."); a name too long for a pattern path is refused as an invalid name.
int SavePatternAs(const Pattern* pattern, std::string* savedPath = nullptr);

// The folder pattern files are saved in, as the keyboard may show it.
constexpr const char* kPatternFolder = "./patterns/";
// The overwrite questions of the two saves.
constexpr const char* kOverwriteQuestion = "FILE EXIXTS!\n\nOVERWRITE?";
constexpr const char* kOverwriteQuestionShort = "FILE EXIXTS!\nOVERWRITE?";

// The one save behind both: asks "SAVE AS:" on the keyboard starting from `prefill`. A
// leading "./patterns/" is taken off what was typed; the rest must be a plain file name
// (no folder, not "." or "..") or "INVALID PATTERN NAME." is shown, as it is for a name
// whose path would be longer than kPatternPathMax. ".qcc" is appended unless typed. An
// existing file is overwritten only when `overwriteQuestion` is answered Yes. The path
// checked is the path written. 1 written; 0 otherwise.
int SavePatternInFolder(const Pattern* pattern, const std::string& prefill,
                        const char* overwriteQuestion, std::string* savedPath = nullptr);
