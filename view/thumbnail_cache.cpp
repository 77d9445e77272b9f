#include "view/thumbnail_cache.h"

#include <glib/gstdio.h>

#include <cstdio>

#include "base/console.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "patterns/pattern.h"
#include "view/pixbuf_draw.h"

std::string ThumbnailPath(const std::string& patternPath)
{
    const size_t slash = patternPath.find_last_of('/');
    std::string base = slash == std::string::npos ? patternPath : patternPath.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) base.erase(dot);
    if (base.empty()) return std::string();
    return "./thumbnails/" + base + ".png";
}

namespace {

GdkPixbuf* CachedThumbnail(const std::string& cacheName)
{
    if (!g_file_test(cacheName.c_str(), G_FILE_TEST_EXISTS)) return nullptr;
    GdkPixbuf* cached = gdk_pixbuf_new_from_file(cacheName.c_str(), nullptr);
    if (cached != nullptr && gdk_pixbuf_get_width(cached) == pattern_preview_width &&
        gdk_pixbuf_get_height(cached) == pattern_preview_height)
        return cached;
    // Another size (the preview size changed) or no picture at all: draw it again.
    if (cached != nullptr) g_object_unref(cached);
    g_unlink(cacheName.c_str());
    return nullptr;
}

}  // namespace

GdkPixbuf* GetPicFromFile(const std::string& patternPath)
{
    const int W = pattern_preview_width, H = pattern_preview_height;
    if (W <= 0 || H <= 0) return nullptr;
    const std::string cacheName = ThumbnailPath(patternPath);
    if (!cacheName.empty()) {
        if (GdkPixbuf* cached = CachedThumbnail(cacheName)) return cached;
    }

    Pattern* pattern = cacheName.empty() ? nullptr : newPattern(patternPath);
    if (pattern == nullptr) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "Pattern File Is Invalid\n");
        return nullptr;
    }
    // Fit the pattern so that its right and bottom edge land on the last pixel column and
    // row: with the full width the extreme points would fall just outside and be lost.
    const float across = W > 1 ? pattern->width / float(W - 1) : pattern->width;
    const float down = H > 1 ? pattern->height / float(H - 1) : pattern->height;
    float scale = across > down ? across : down;
    if (!(scale > 0.0f)) scale = 1.0f;  // a single point or all points in one place

    GdkPixbuf* picture = NewPixbuf(W - 1, H - 1);
    if (picture != nullptr) {
        // Loaded points start at 0: no offset and no minimum to subtract.
        DrawPatternPoints(picture, pattern, 0.0f, 0.0f, 0.0f, 0.0f, scale, -1);
        GError* error = nullptr;
        if (!gdk_pixbuf_save(picture, cacheName.c_str(), "png", &error, nullptr)) {
            ConsolePrintf("thumbnail not saved: %s\n", error ? error->message : cacheName.c_str());
            if (error != nullptr) g_error_free(error);
        }
    }
    erasePattern(pattern);
    return picture;
}

void DeleteThumbnail(const std::string& patternPath)
{
    const std::string cacheName = ThumbnailPath(patternPath);
    if (!cacheName.empty()) g_unlink(cacheName.c_str());
}
