#include "app/interface.h"

Interface interface_;

void DropPreviewPixbuf()
{
    if (interface_.previewPixbuf != nullptr) {
        g_object_unref(interface_.previewPixbuf);
        interface_.previewPixbuf = nullptr;
    }
}
