// The camera's picture on the camera screen's area.
#include "base/interface.h"
#include "view/pattern_view.h"
#include "view/view_paint.h"

void DrawCameraPicture(cairo_t* cr, int width, int height)
{
    if (interface_.cameraSnapshot)
        view_paint::PixbufScaled(cr, interface_.cameraSnapshot.get(), width, height);
}
