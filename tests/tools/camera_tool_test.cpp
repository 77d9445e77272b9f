// corvan-tool camera snapshot and calibrate on PPM stills and pictures.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/frame.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

// 40 x 60 orange with black rows [top, top + rows).
std::vector<uint8_t> Target(int top, int rows)
{
    std::vector<uint8_t> rgb(40 * 60 * 3);
    for (int i = 0; i < 40 * 60; ++i) {
        const bool dark = i / 40 >= top && i / 40 < top + rows;
        rgb[size_t(i) * 3] = dark ? 0 : 255;
        rgb[size_t(i) * 3 + 1] = dark ? 0 : 165;
        rgb[size_t(i) * 3 + 2] = uint8_t(dark ? 0 : i % 7);
    }
    return rgb;
}

TEST(CameraCommand, SnapshotKeepsThePixelsAndCalibrateFindsTheBand)
{
    TempDir dir;
    const std::vector<uint8_t> rgb = Target(10, 34);
    dir.Write("still.ppm", PpmBytes(40, 60, rgb.data()));
    ToolRun run = RunCorvanTool({"camera", "snapshot", "shot.png", "--device", "still.ppm"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "40 x 60 PPM\nwrote shot.png\n");
    GdkPixbuf* png = gdk_pixbuf_new_from_file((dir / "shot.png").c_str(), nullptr);
    ASSERT_NE(png, nullptr);
    ASSERT_EQ(gdk_pixbuf_get_width(png), 40);
    ASSERT_EQ(gdk_pixbuf_get_n_channels(png), 3);
    std::vector<uint8_t> back;
    for (int y = 0; y < 60; ++y) {
        const guchar* row = gdk_pixbuf_get_pixels(png) + y * gdk_pixbuf_get_rowstride(png);
        back.insert(back.end(), row, row + 40 * 3);
    }
    g_object_unref(png);
    EXPECT_EQ(back, rgb);

    ToolRun cal = RunCorvanTool({"camera", "calibrate", "shot.png"});
    ASSERT_EQ(cal.status, 0) << cal.err;
    EXPECT_EQ(cal.out, "0.1000 inch per pixel (band 34 rows)\n");

    // The default device is the system's /dev/video0 (a still inside the test's sysroot).
    dir.Write("dev/video0", PpmBytes(40, 60, rgb.data()));
    EXPECT_EQ(RunCorvanTool({"camera", "snapshot", "default.png"}).status, 0);
}

TEST(CameraCommand, RefusesWhatGivesNoPictureOrNoBand)
{
    TempDir dir;
    const std::vector<uint8_t> blank = Target(0, 0);
    dir.Write("blank.ppm", PpmBytes(40, 60, blank.data()));
    dir.Write("notes.png", "not a picture");
    ToolRun none = RunCorvanTool({"camera", "calibrate", "blank.ppm"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("CALIBRATION TARGET NOT FOUND"), std::string::npos) << none.err;
    ToolRun junk = RunCorvanTool({"camera", "calibrate", "notes.png"});
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("notes.png is not a picture"), std::string::npos) << junk.err;

    dir.Write("old.png", "kept");
    dir.Write("cut.ppm", "P6\n40 60\n255\nabc");
    ToolRun cut = RunCorvanTool({"camera", "snapshot", "old.png", "--device", "cut.ppm"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("truncated"), std::string::npos) << cut.err;
    EXPECT_EQ(dir.Read("old.png"), "kept");
    EXPECT_EQ(RunCorvanTool({"camera", "snapshot"}).status, 2);
    EXPECT_EQ(RunCorvanTool({"camera", "calibrate", "a.png", "b.png"}).status, 2);
}

}  // namespace
