// Thumbnails of pattern files: drawn once, then read from ./thumbnails/.

#include <gtest/gtest.h>
#include <glib/gstdio.h>

#include "base/screen_config.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "view/pixbuf_draw.h"
#include "view/thumbnail_cache.h"

namespace {

// A square outline of 2 x 1 inches starting at (5, 5).
const char* kBoxPattern = "n box\npX5Y5\npX7Y5\npX7Y6\npX5Y6\npX5Y5\n";

bool Black(GdkPixbuf* p, int x, int y)
{
    const guchar* d = gdk_pixbuf_get_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * 4;
    return d[0] == 0 && d[1] == 0 && d[2] == 0 && d[3] == 255;
}

void PrepareFolder(TempDir& dir)
{
    ParseConfig();  // preview 140 x 80
    g_mkdir_with_parents("thumbnails", 0755);
    dir.Write("patterns/box.qcc", kBoxPattern);
}

}  // namespace

TEST(Thumbnails, DrawnToFitThePreviewAndCachedAsPng)
{
    TempDir dir;
    PrepareFolder(dir);
    EXPECT_EQ(ThumbnailPath("./patterns/box.qcc"), "./thumbnails/box.png");
    EXPECT_EQ(ThumbnailPath("/media/usb/a.b.qcc"), "./thumbnails/a.b.png");
    EXPECT_EQ(ThumbnailPath("./patterns/"), "");

    PixbufPtr pic(GetPicFromFile("./patterns/box.qcc"));
    ASSERT_NE(pic, nullptr);
    ASSERT_EQ(gdk_pixbuf_get_width(pic.get()), 140);
    ASSERT_EQ(gdk_pixbuf_get_height(pic.get()), 80);
    // 2 inches across 139 pixels: every edge of the outline is drawn, the right and
    // bottom ones on the last column and row that the scale reaches.
    const float scale = 2.0f / 139.0f;
    EXPECT_TRUE(Black(pic.get(), 0, 0));
    EXPECT_TRUE(Black(pic.get(), 70, 0));
    EXPECT_TRUE(Black(pic.get(), 139, 30));
    EXPECT_TRUE(Black(pic.get(), 70, int(1.0f / scale)));
    EXPECT_TRUE(Black(pic.get(), 0, 30));
    EXPECT_FALSE(Black(pic.get(), 70, 30));
    EXPECT_TRUE(dir.Exists("thumbnails/box.png"));

    // The second time the cache answers, even when the pattern file has gone; a pattern of
    // the same name in another folder shares it.
    g_unlink("patterns/box.qcc");
    PixbufPtr again(GetPicFromFile("/somewhere/else/box.qcc"));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(Black(again.get(), 139, 30));

    DeleteThumbnail("./patterns/box.qcc");
    EXPECT_FALSE(dir.Exists("thumbnails/box.png"));
}

TEST(Thumbnails, StaleOrBrokenCacheFilesAreDrawnAgain)
{
    TempDir dir;
    PrepareFolder(dir);
    {
        PixbufPtr old(GetPicFromFile("./patterns/box.qcc"));
    }
    // The preview grew: the cached picture has the wrong size and is replaced.
    pattern_preview_width = 100;
    pattern_preview_height = 100;
    PixbufPtr pic(GetPicFromFile("./patterns/box.qcc"));
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(pic.get()), 100);
    PixbufPtr cached(gdk_pixbuf_new_from_file("thumbnails/box.png", nullptr));
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_height(cached.get()), 100);

    // A cache file that is no picture at all.
    dir.Write("thumbnails/box.png", "garbage");
    PixbufPtr redrawn(GetPicFromFile("./patterns/box.qcc"));
    ASSERT_NE(redrawn, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(redrawn.get()), 100);
}

TEST(Thumbnails, InvalidPatternFilesGetNoPictureAndOneMessage)
{
    TempDir dir;
    PrepareFolder(dir);
    dir.Write("patterns/empty.qcc", "n tiny\n");  // 17 bytes or fewer: no pattern
    {
        ScriptedUi ui;
        ui.Expect("Pattern File Is Invalid\n", RESPONSE_OK);
        EXPECT_EQ(GetPicFromFile("./patterns/empty.qcc"), nullptr);
    }
    {
        ScriptedUi ui;
        ui.Expect("Pattern File Is Invalid\n", RESPONSE_OK);
        EXPECT_EQ(GetPicFromFile("./patterns/missing.qcc"), nullptr);
    }
    EXPECT_FALSE(dir.Exists("thumbnails/empty.png"));

    // A single point: nothing to scale by, an empty picture rather than a division by zero.
    dir.Write("patterns/dot.qcc", "pX1.000Y1.000\npX1.000Y1.000\n");
    PixbufPtr dot(GetPicFromFile("./patterns/dot.qcc"));
    ASSERT_NE(dot, nullptr);
    EXPECT_FALSE(Black(dot.get(), 0, 0));
}
