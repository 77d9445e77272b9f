#pragma once
// DXF import: turns a two-dimensional DXF drawing into a pattern file.
//
// Lines, arcs, circles, points, polylines, lightweight polylines and the control points of
// splines each become one run of points (arcs and circles cut into chords about 0.1 inch
// long). Entities inside block definitions are not imported, and a LINE is dropped when its
// line type is DASHED or when a TEXT "STOPPING_MACRO LINETYPE" asked for the next LINE to be
// dropped. The drawing is moved so that its smallest X and its top edge become the pattern's
// origin, mirrored top to bottom (pattern Y grows downwards), and its runs are written
// nearest-first, each in the direction that starts closest to where the previous one ended;
// a gap of 0.25 inch or less is sewn through, a longer one starts a new stroke. Drawing units
// are taken as inches.
//
// While it works the import shows the status window "CONVERTING DXF" and writes what it read
// to "./dxf.log".
#include <cstdio>
#include <string_view>

// Converts the DXF text on `input` into a pattern file on `output`. Both streams stay open
// and belong to the caller. Returns 0 when the pattern file was written, -1 on failure; a
// failure while reading leaves `output` untouched.
int ConvertDXF(std::FILE* input, std::FILE* output);
// The same for a drawing already in memory.
int ConvertDXFText(std::string_view text, std::FILE* output);
