#include "import/import_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "import/dxf_import.h"
#include "import/qli_import.h"

namespace {

std::string ReadBack(std::FILE* f)
{
    std::string text;
    std::rewind(f);
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, got);
    return text;
}

template <typename Import>
ImportResult Run(const std::string& input, Import import)
{
    ImportResult result;
    std::FILE* out = std::tmpfile();
    if (!out) {
        ADD_FAILURE() << "tmpfile failed";
        return result;
    }
    result.status = import(input, out);
    result.text = ReadBack(out);
    std::fclose(out);
    return result;
}

std::string Number(double v)
{
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

}  // namespace

ImportResult RunDxf(const std::string& dxf) { return Run(dxf, ConvertDXFText); }
ImportResult RunQli(const std::string& qli) { return Run(qli, ImportQLIText); }

std::vector<PatternBlock> Blocks(const std::string& pattern)
{
    std::vector<PatternBlock> blocks;
    std::istringstream in(pattern);
    std::string line;
    bool strokeStart = false;
    bool inBlock = false;
    while (std::getline(in, line)) {
        if (line == "c s") {
            strokeStart = true;
        } else if (line == "c e s") {
            blocks.push_back(PatternBlock{strokeStart, {}});
            strokeStart = false;
            inBlock = true;
        } else if (line == "c e e") {
            inBlock = false;
        } else if (line.rfind("p X", 0) == 0) {
            EXPECT_TRUE(inBlock) << "point outside a block: " << line;
            double x = 0, y = 0;
            EXPECT_EQ(std::sscanf(line.c_str(), "p X%lf Y%lf", &x, &y), 2) << line;
            if (!blocks.empty())
                blocks.back().points.push_back({x, y});
        } else {
            ADD_FAILURE() << "unexpected pattern line: " << line;
        }
    }
    return blocks;
}

std::vector<PatternPoint> AllPoints(const std::string& pattern)
{
    std::vector<PatternPoint> all;
    for (const PatternBlock& b : Blocks(pattern))
        all.insert(all.end(), b.points.begin(), b.points.end());
    return all;
}

std::string DxfLine(double x1, double y1, double x2, double y2, const std::string& extra)
{
    return "  0\nLINE\n  8\n0\n" + extra + " 10\n" + Number(x1) + "\n 20\n" + Number(y1) +
           "\n 30\n0.0\n 11\n" + Number(x2) + "\n 21\n" + Number(y2) + "\n 31\n0.0\n";
}

std::string DxfArc(double cx, double cy, double r, double start, double end)
{
    return "  0\nARC\n  8\n0\n 10\n" + Number(cx) + "\n 20\n" + Number(cy) + "\n 40\n" +
           Number(r) + "\n 50\n" + Number(start) + "\n 51\n" + Number(end) + "\n";
}

std::string DxfCircle(double cx, double cy, double r)
{
    return "  0\nCIRCLE\n  8\n0\n 10\n" + Number(cx) + "\n 20\n" + Number(cy) + "\n 40\n" +
           Number(r) + "\n";
}

std::string DxfText(const std::string& value)
{
    return "  0\nTEXT\n  8\n0\n 10\n1.0\n 20\n1.0\n 40\n0.2\n  1\n" + value + "\n";
}

std::string DxfDrawing(const std::string& entities)
{
    return "  0\nSECTION\n  2\nENTITIES\n" + entities + "  0\nENDSEC\n  0\nEOF\n";
}
