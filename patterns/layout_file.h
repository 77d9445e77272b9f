#pragma once
// The layout file (".qlf"): the whole layout — quilting extents, loaded patterns, pattern
// boxes, placements and arrays — as a sequence of binary records.
//
// Every record starts with a one-byte marker and ends with a byte 16. Numbers are 4 bytes,
// little-endian (signed 32-bit integers, IEEE-754 single reals); texts are 256 raw bytes
// holding a NUL-terminated string.
//
//   1  extents       originX originY centerX centerY width height angle, cornerCount,
//                    corners (index x y), 16
//   2  pattern       name spareText1 spareText2 (256 each), width height baseWidth baseHeight
//                    minX maxX minY maxY, rotation, scaleX scaleY, pointCount, points (x y),
//                    commandCount, commands (type point), 16
//   3  pattern name  text up to a byte 16 (never written; skipped)
//   4  pattern box   originX originY width height angle centerX centerY, cornerCount,
//                    corners (index x y), 16
//   5  placement     boxIndex patternIndex arrayIndex, isArrayParent (1 byte), x y, 16
//   6  array         spacingDown spacingAcross rows columns, 16
//
// The writer emits the extents, the patterns, the boxes, the placements in layout order and
// the arrays. Slot numbers are not stored: the reader fills pattern slots 0, 1, 2 ... and the
// lowest free array slots in file order, so the writer renumbers the placements' pattern and
// array references to those positions. A layout therefore survives saving and loading
// whichever slots it uses. The end of the file, or a byte 255 where a marker is due, ends it.

#include <cstdint>
#include <string>

// Longest name SaveLayout takes (the name, not the path it becomes).
constexpr size_t kLayoutNameMax = 123;
// Size of a text field in the file.
constexpr size_t kLayoutTextBytes = 256;
// The reader gives up on a file that takes longer than this to read.
constexpr double kLayoutReadSeconds = 5.0;

// Saves the current layout. `name` is a path (".qlf" appended) when `nameIsPath` is non-zero;
// otherwise a name for "./Layout/", from which the characters that cannot be part of a file
// name here are dropped. With `askBeforeOverwriting`, an existing file is replaced only
// after the user confirms. Returns 1 when the file was written, 0 otherwise: a name longer
// than kLayoutNameMax ("FILENAME IS TOO LONG"), a name with nothing left after the dropped
// characters ("FILENAME IS EMPTY"), a declined overwrite, no quilting extents (nothing worth
// keeping can exist without them; logged), or a file that cannot be written (silently).
// The file is written beside its final name and renamed over it, so an existing layout is
// never left half-written.
int SaveLayout(const std::string& name, int askBeforeOverwriting, int nameIsPath);
// The flags of SaveLayout, by name.
constexpr int kOverwriteWithoutAsking = 0;
constexpr int kAskBeforeOverwriting = 1;
constexpr int kNameInLayoutFolder = 0;
constexpr int kNameIsPath = 1;

// The flags of LoadLayout, by name.
constexpr int kDiscardCurrentLayout = 1;
constexpr int kAskBeforeLoading = 0;
constexpr int kSkipQuestion = 1;

// Replaces the current layout with the one in the file at `path`: the program's Open
// Layout. Unless the path is the recovery layout, asks before erasing the current layout
// (skipped with kSkipQuestion), opens the waiting window "\n\nLOADING LAYOUT FILE" in
// `waitWindow` (the caller closes it) and makes the path, less its extension, the current
// layout name. The current layout is always discarded (pass kDiscardCurrentLayout; the
// argument is kept for the callers' sake). Returns 1 on success, 0 on failure, after
// "COULD NOT OPEN LAYOUT FILE." or "ERROR READING LAYOUT FILE." (a read that ran out of time
// is only logged). A failed load leaves what was read before the failure, always
// consistent: every placement names a loaded pattern and an existing box.
int LoadLayout(const std::string& path, int discardCurrent, int skipQuestion);

// The reading half of LoadLayout, silent: replaces the current layout with the one in the
// file, without a question, a window or a message, and leaves the layout name alone.
// Returns 1 on success; 0 on failure, with `*problem` (when given) saying why in the words
// LoadLayout would show.
int ReadLayoutFile(const std::string& path, std::string* problem = nullptr);

// The whole current layout as file bytes, in the order SaveLayout writes them, into an open
// file descriptor. Allocates nothing, takes no lock and uses only async-signal-safe calls,
// so the crash handler can use it. Returns 1 when every byte was written.
int WriteLayoutRecords(int fd);

// Writes the layout to `partPath`, flushes it to the device and renames it to `path`; on any
// failure removes `partPath` and returns 0 (an existing `path` is then untouched). Safe in a
// signal handler, like WriteLayoutRecords. Returns 1 when `path` holds the new layout.
int WriteLayoutFileAt(const char* path, const char* partPath);

// A typed layout name without the characters that cannot be part of a layout file name:
// ! @ # $ % ^ & * ( ) + = { } [ ] | \ ? . , < > : ; space " ' ~ ` / and control characters.
std::string RemoveForbiddenCharacters(const std::string& name);

// Whether a written layout file is flushed to the device before it takes its name (on by
// default: the board may lose power at any time). The fuzz target turns it off.
extern bool layoutFileSyncs;

// Tests replace the clock the reader measures its time limit with (seconds, monotonic).
extern double (*layoutClockForTest)();
