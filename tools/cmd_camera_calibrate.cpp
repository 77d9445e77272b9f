// corvan-tool camera calibrate IMAGE
// Finds the 3.4-inch calibration target in a picture (PNG, PPM or any image the program can
// read) as the camera screen's Calibrate does, and prints the scale it gives.
#include <cstdio>
#include <string>
#include <vector>

#include "camera/find_size.h"
#include "tools/tool.h"
#include "view/pixbuf_draw.h"

int RunCameraCalibrate(const ToolArgs& args)
{
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return ToolUsage("camera calibrate", "needs one image file");
    GError* error = nullptr;
    PixbufPtr image(gdk_pixbuf_new_from_file(args[0].c_str(), &error));
    if (!image) {
        std::fprintf(stderr, "corvan-tool: %s is not a picture%s%s\n", args[0].c_str(),
                     error ? ": " : "", error ? error->message : "");
        if (error) g_error_free(error);
        return kToolFailed;
    }
    const int w = gdk_pixbuf_get_width(image.get()), h = gdk_pixbuf_get_height(image.get());
    const int channels = gdk_pixbuf_get_n_channels(image.get());
    const int stride = gdk_pixbuf_get_rowstride(image.get());
    const guchar* pixels = gdk_pixbuf_get_pixels(image.get());
    if (gdk_pixbuf_get_bits_per_sample(image.get()) != 8 || channels < 3) {
        std::fprintf(stderr, "corvan-tool: %s is not an RGB picture\n", args[0].c_str());
        return kToolFailed;
    }
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(size_t(y) * w + x) * 3 + c] = pixels[size_t(y) * stride + size_t(x) * channels + c];
    const int rows = FindSize(rgb.data(), w, h);
    if (rows <= 0) {
        std::fprintf(stderr, "corvan-tool: CALIBRATION TARGET NOT FOUND in %s\n", args[0].c_str());
        return kToolFailed;
    }
    std::printf("%.4f inch per pixel (band %d rows)\n", double(kCalibrationTarget_inch / rows), rows);
    return kToolOk;
}
