#pragma once
// An owned reference to a GdkPixbuf: the record of the screen keeps its pictures this way,
// and the drawing code hands them out this way.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

struct PixbufUnref {
    void operator()(GdkPixbuf* p) const
    {
        if (p != nullptr) g_object_unref(p);
    }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, PixbufUnref>;
