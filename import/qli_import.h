#pragma once
// QLI import: turns a QLI stitch path (moves "VP x,y" and arcs "CR r,start,sweep" in
// thousandths of an inch, "VE" to move the origin to the pen, "EN" to end) into a pattern
// file. Runs are kept in file order and direction; a gap of more than 0.25 inch between one
// run's end and the next run's start becomes a new stroke.
//
// While it works the import shows the status window "CONVERTING QLI".
#include <cstdio>
#include <string_view>

// Converts the QLI text on `input` into a pattern file on `output`; both streams stay open
// and belong to the caller. Unreadable values are passed over, so any text converts: returns
// 1, or 0 only when the output cannot be written or the file would need more points than an
// import may hold (nothing is written then).
int ImportQLI(std::FILE* input, std::FILE* output);
// The same for a file already in memory.
int ImportQLIText(std::string_view text, std::FILE* output);
