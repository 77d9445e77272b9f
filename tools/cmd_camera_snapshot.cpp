// corvan-tool camera snapshot OUT.png [--device PATH]
// Takes one picture from the camera (or the PPM still at the device path) the way the
// program does at start, prints its size and the device's pixel format, and saves it as PNG.
// The file appears whole or not at all.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/atomic_file.h"
#include "camera/camera.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

int RunCameraSnapshot(const ToolArgs& args)
{
    std::string out, device = DefaultCameraDevice();
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device") {
            if (i + 1 >= args.size()) return ToolUsage("camera snapshot", "missing value after --device");
            device = args[++i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return ToolUsage("camera snapshot", "unknown option " + args[i]);
        } else if (out.empty()) {
            out = args[i];
        } else {
            return ToolUsage("camera snapshot", "more than one output file: " + args[i]);
        }
    }
    if (out.empty()) return ToolUsage("camera snapshot", "no output file given");

    Camera camera;
    camera.device = device;
    PixbufPtr picture;
    {
        // The camera's own reports go with the errors; standard output keeps the result.
        ConsoleToStderr quiet;
        picture.reset(camera_main(&camera));
    }
    if (!picture) {
        std::fprintf(stderr, "corvan-tool: no picture from %s\n", device.c_str());
        return kToolFailed;
    }
    std::printf("%d x %d %s\n", camera.width, camera.height,
                camera.still ? "PPM" : FourccName(camera.pixelFormat).c_str());

    gchar* png = nullptr;
    gsize pngSize = 0;
    GError* error = nullptr;
    if (!gdk_pixbuf_save_to_buffer(picture.get(), &png, &pngSize, "png", &error, nullptr)) {
        std::fprintf(stderr, "corvan-tool: cannot make a PNG: %s\n", error ? error->message : "");
        if (error) g_error_free(error);
        return kToolFailed;
    }
    int writeError = 0;
    const bool written = WriteFileAtomically(
        out, [&](std::FILE* f) { return std::fwrite(png, 1, pngSize, f) == pngSize; }, &writeError);
    g_free(png);
    if (!written) {
        std::fprintf(stderr, "corvan-tool: cannot write %s: %s\n", out.c_str(),
                     std::strerror(writeError != 0 ? writeError : EIO));
        return kToolFailed;
    }
    std::printf("wrote %s\n", out.c_str());
    return kToolOk;
}
