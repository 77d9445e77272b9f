// Drawings written by other programs: ezdxf's R12 and R2000 files and LibreCAD's parts
// library. ezdxf reads each drawing a second time (tests/import/dxf_samples.py) and the
// pattern must agree with it on extent, drawn length and number of runs.
#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "import/dxf_import.h"
#include "import/import_test_util.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const char* kPython = "/usr/bin/python3";  // Debian's, where python3-ezdxf installs
const std::string kSamples = std::string(CORVAN_SOURCE_DIR) + "/tests/import/dxf_samples.py";
const char* kLibrary = "/usr/share/librecad/library";

bool RunPython(std::vector<std::string> args, std::string* out)
{
    args.insert(args.begin(), kPython);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    gchar* text = nullptr;
    gint status = 0;
    const gboolean ran = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_STDERR_TO_DEV_NULL,
                                      nullptr, nullptr, &text, nullptr, &status, nullptr);
    if (out)
        *out = text ? text : "";
    g_free(text);
    return ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool HaveEzdxf()
{
    return access(kPython, X_OK) == 0 && RunPython({"-c", "import ezdxf"}, nullptr);
}

struct Shape {
    bool empty = true;
    double width = 0, height = 0, length = 0;
    std::size_t runs = 0;
    double boxSlack = 0, lengthSlack = 0;
};

// The pattern's extent, the length drawn inside its blocks and its number of blocks.
Shape PatternShape(const std::string& pattern)
{
    Shape s;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const PatternBlock& block : Blocks(pattern)) {
        if (block.points.empty())
            continue;
        ++s.runs;
        for (std::size_t i = 0; i < block.points.size(); ++i) {
            const PatternPoint& p = block.points[i];
            if (s.empty) {
                minX = maxX = p.x;
                minY = maxY = p.y;
                s.empty = false;
            }
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
            if (i > 0)
                s.length += std::hypot(p.x - block.points[i - 1].x, p.y - block.points[i - 1].y);
        }
    }
    s.width = maxX - minX;
    s.height = maxY - minY;
    return s;
}

// ezdxf's measurements, by file; files ezdxf cannot read are absent.
std::map<std::string, Shape> Measure(const std::vector<std::string>& files)
{
    std::vector<std::string> args = {kSamples, "measure"};
    args.insert(args.end(), files.begin(), files.end());
    std::string out;
    EXPECT_TRUE(RunPython(args, &out));
    std::map<std::string, Shape> shapes;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string file, first;
        in >> file >> first;
        Shape s;
        if (first == "empty") {
            shapes[file] = s;
            continue;
        }
        double minX = 0, minY = 0, maxX = 0, maxY = 0;
        std::istringstream numbers(line.substr(file.size()));
        if (!(numbers >> minX >> minY >> maxX >> maxY >> s.length >> s.runs >> s.boxSlack >>
              s.lengthSlack))
            continue;  // unreadable for ezdxf
        s.empty = false;
        s.width = maxX - minX;
        s.height = maxY - minY;
        shapes[file] = s;
    }
    return shapes;
}

ImportResult ConvertFile(const std::string& path)
{
    ImportResult r;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::FILE* out = std::tmpfile();
    if (!in || !out) {
        ADD_FAILURE() << "cannot open " << path;
    } else {
        r.status = ConvertDXF(in, out);
        std::rewind(out);
        char chunk[65536];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, out)) > 0)
            r.text.append(chunk, got);
    }
    if (in)
        std::fclose(in);
    if (out)
        std::fclose(out);
    return r;
}

// Chords bow inwards on both sides of the extent; three decimals add their own rounding.
void ExpectAgrees(const std::string& file, const Shape& drawn, const Shape& pattern)
{
    SCOPED_TRACE(file);
    ASSERT_EQ(pattern.empty, drawn.empty);
    EXPECT_EQ(pattern.runs, drawn.runs);
    const double box = 2 * drawn.boxSlack + 0.0015;
    EXPECT_NEAR(pattern.width, drawn.width, box + 1e-6 * drawn.width);
    EXPECT_NEAR(pattern.height, drawn.height, box + 1e-6 * drawn.height);
    EXPECT_NEAR(pattern.length, drawn.length, drawn.lengthSlack + 0.005 * drawn.length + 0.01);
}

}  // namespace

TEST(RealWorldDxf, EzdxfDrawingsInBothFlavours)
{
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf is not installed";
    TempDir dir;
    ASSERT_TRUE(RunPython({kSamples, "generate", dir.path()}, nullptr));
    const std::vector<std::string> files = {dir / "sample_r12.dxf", dir / "sample_r2000.dxf"};
    const std::map<std::string, Shape> drawn = Measure(files);
    for (const std::string& file : files) {
        ASSERT_EQ(drawn.count(file), 1u) << file;
        const ImportResult r = ConvertFile(file);
        ASSERT_EQ(r.status, 0) << file;
        EXPECT_GT(drawn.at(file).runs, 60u);
        ExpectAgrees(file, drawn.at(file), PatternShape(r.text));
    }
}

TEST(RealWorldDxf, LibreCadPartsLibrary)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(kLibrary, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (it->is_regular_file() && ext == ".dxf")
            files.push_back(it->path().string());
    }
    if (files.empty())
        GTEST_SKIP() << "librecad-data is not installed";
    std::sort(files.begin(), files.end());
    TempDir dir;  // for dxf.log

    // Every file converts; ezdxf checks every third one (all of them take it half a minute).
    std::map<std::string, Shape> patterns;
    std::vector<std::string> checked;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ImportResult r = ConvertFile(files[i]);
        EXPECT_EQ(r.status, 0) << files[i];
        patterns[files[i]] = PatternShape(r.text);
        if (i % 3 == 0)
            checked.push_back(files[i]);
    }
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf is not installed: extents and lengths not checked";
    const std::map<std::string, Shape> drawn = Measure(checked);
    EXPECT_GT(drawn.size(), checked.size() * 9 / 10);
    for (const auto& [file, shape] : drawn)
        ExpectAgrees(file, shape, patterns.at(file));
}
