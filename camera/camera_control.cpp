#include "camera/camera_control.h"

#include <unistd.h>

#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/ui_hooks.h"
#include "camera/camera.h"
#include "camera/find_size.h"
#include "patterns/pattern.h"
#include "view/pattern_view.h"

namespace {

// A new picture replaces the stored one; none leaves it in place.
bool Store(GdkPixbuf* picture)
{
    if (picture == nullptr)
        return false;
    interface_.cameraSnapshot.reset(picture);
    UiRedrawView();
    return true;
}

}  // namespace

bool StartVideo()
{
    Camera* camera = interface_.camera.get();
    if (camera == nullptr || OpenCamera(camera) != 0 || camera->fd < 0) {
        interface_.videoRunning = 0;
        return false;
    }
    interface_.videoRunning = 1;
    return true;
}

void StopVideo() { interface_.videoRunning = 0; }

bool VideoTick()
{
    Camera* camera = interface_.camera.get();
    if (camera == nullptr) {
        interface_.videoRunning = 0;
        return false;
    }
    if (interface_.videoRunning == 1) {
        if (Store(get_image(camera)))
            return true;
        // A camera that stops giving pictures ends the video.
        interface_.videoRunning = 0;
        CloseCamera(camera);
        return false;
    }
    Store(get_image(camera));
    CloseCamera(camera);
    return false;
}

int TakeSnapshot()
{
    Camera* camera = interface_.camera.get();
    if (camera == nullptr)
        return 0;
    // While the video runs the device is open already and stays so.
    const bool keepOpen = interface_.videoRunning == 1 && camera->fd >= 0;
    if (!keepOpen && (OpenCamera(camera) != 0 || camera->fd < 0))
        return 0;
    usleep(10000);
    const bool stored = Store(get_image(camera));
    if (!keepOpen) {
        usleep(10000);
        CloseCamera(camera);
    }
    return stored ? 1 : 0;
}

int CalibrateCamera(const char* logPath)
{
    const Camera* camera = interface_.camera.get();
    int rows = 0;
    if (camera != nullptr && camera->width > 0 && camera->height > 0 &&
        camera->image.size() == size_t(camera->width) * size_t(camera->height) * 3) {
        std::FILE* log = logPath != nullptr ? std::fopen(logPath, "w") : nullptr;
        rows = FindSize(camera->image.data(), camera->width, camera->height, log);
        if (log != nullptr)
            std::fclose(log);
    }
    if (rows <= 0) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "CALIBRATION TARGET NOT FOUND");
        return 0;
    }
    const float scale = kCalibrationTarget_inch / float(rows);
    interface_.viewScale = scale;
    interface_.snapshotInchPerPixel = scale;
    ConsolePrintf("Camera: %d rows to %.4f inch per pixel\n", rows, double(scale));
    DrawGrid();
    RefreshPatternPix();
    UiRedrawView();
    return 1;
}
