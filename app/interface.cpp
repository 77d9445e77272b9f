#include "app/interface.h"

Interface interface_;

void DropPreviewPixbuf()
{
    interface_.previewPixbuf.reset();
}
