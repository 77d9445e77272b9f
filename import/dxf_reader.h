#pragma once
// Reading a DXF drawing: tokens, group codes, group values.
//
// A DXF file is a sequence of group code / value pairs, each on a line of its own. The
// importer looks for entities token by token (any token "0" may start one), then reads an
// entity's pairs: a code is the next token, and its value is the rest of the code's line when
// that holds anything, otherwise the whole next line. Reading values by line keeps a value
// that contains blanks (a layer "Wall 2") or is empty from being taken for the next code.
#include <cstddef>
#include <string>
#include <string_view>

#include "import/text_scanner.h"

// Outcome of reading one group code.
enum class DxfCode { Read, End, Bad };

// Reads the next group code as an integer. On End the position is unchanged; on Bad the
// token has been consumed.
DxfCode ReadGroupCode(TextScanner& reader, int& code);
// Reads the value that belongs to the code just read (see the header comment). False when
// the input ends before it.
bool ReadGroupValue(TextScanner& reader, std::string_view& value);
// Reads a value as a decimal number ("%lf"-like: leading blanks, sign, digits, exponent; the
// rest of the value is ignored). False when it does not start with a number.
bool ParseDxfNumber(std::string_view value, double& number);
bool ParseDxfInteger(std::string_view value, long& number);

// The values of one entity. Every field is 0 (or empty) before each read.
struct DxfGroupValues {
    double x1 = 0, y1 = 0, z1 = 0;  // groups 10, 20, 30
    double x2 = 0, y2 = 0, z2 = 0;  // groups 11, 21, 31
    double radius = 0;              // group 40 (group 42, the bulge, lands here too)
    double startAngle = 0;          // group 50, degrees
    double endAngle = 0;            // group 51, degrees
    std::string lineType;           // group 6, empty when absent
};

// Reads pairs into `values` up to the next group code 0, which is left unread. Returns 0
// when the input ends or a value cannot be read, 2 when a group 70 with an odd value was
// seen, else 1.
int get_values(TextScanner& reader, DxfGroupValues& values);
// Reads pairs until one with group code `code` and stores its value in `buffer` (return 1).
// Meeting a group code 0 first moves back in front of it and returns 1 with `buffer`
// untouched. Returns 0 when the input ends or a code cannot be read.
int get_string(TextScanner& reader, int code, std::string& buffer);
// Reads the rest of the current line into `line` (see TextScanner::NextLine). Returns 0, or -1
// when the input has already ended.
int get_line(TextScanner& reader, std::string_view& line);
