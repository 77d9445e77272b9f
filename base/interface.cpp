#include "base/interface.h"

Interface interface_;

void DropPreviewPixbuf()
{
    interface_.previewPixbuf.reset();
}
