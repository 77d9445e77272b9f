#pragma once
// Running an importer on text in memory and reading back the pattern lines it wrote.
#include <string>
#include <vector>

struct ImportResult {
    int status = 0;
    std::string text;  // the pattern file as written
};

ImportResult RunDxf(const std::string& dxf);
ImportResult RunQli(const std::string& qli);

// The pattern file as the loader sees it: blocks of points between "c e s" and "c e e", and
// whether a stroke start ("c s") stands before each block.
struct PatternPoint {
    double x, y;
};
struct PatternBlock {
    bool strokeStart = false;  // a "c s" stands in front of this block
    std::vector<PatternPoint> points;
};
std::vector<PatternBlock> Blocks(const std::string& pattern);
// All points of all blocks, in file order.
std::vector<PatternPoint> AllPoints(const std::string& pattern);

// DXF text for single entities, as drawing programs write them (code and value on lines of
// their own). `extra` is put in front of the coordinates.
std::string DxfLine(double x1, double y1, double x2, double y2, const std::string& extra = "");
std::string DxfArc(double cx, double cy, double r, double start, double end);
std::string DxfCircle(double cx, double cy, double r);
std::string DxfText(const std::string& value);
// An ENTITIES section around `entities`, ended by "EOF".
std::string DxfDrawing(const std::string& entities);
