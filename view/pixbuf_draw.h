#pragma once
// Pixel drawing into RGBA pixel buffers: the pattern images that the views paste at every
// placement, the grid overlay and the thumbnails are all drawn with these few routines.
//
// Buffers are GdkPixbufs with 8 bits per sample, RGB with alpha (4 channels). Pixel (x, y)
// has x growing to the right and y downwards. Routines given a buffer of another format,
// or none, draw nothing.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "base/pixbuf_ptr.h"

struct Pattern;

// No pattern image is made larger than this many pixels (64 MB). At the finest scale
// (0.001 inch per pixel) a 5-inch pattern would otherwise ask for a 100-megapixel image.
constexpr long kMaxImagePixels = 4096L * 4096L;

// A new RGBA buffer of (w + 1) x (h + 1) pixels, transparent white (255, 255, 255, 0).
// Null for a negative size, one beyond kMaxImagePixels, or when memory runs out.
GdkPixbuf* NewPixbuf(int w, int h);
// Refills a buffer with transparent white.
void ClearPixbuf(GdkPixbuf* buffer);
// A new buffer of (int(width / s) + 1) x (int(height / s) + 1) pixels for the pattern at
// s inches per pixel; its pixels are not filled (DrawPattern does that). Null for no
// pattern, a scale that is not positive and finite, or a size beyond kMaxImagePixels.
GdkPixbuf* CreatePixbufFromPattern(const Pattern* pattern, float s);

// Gives every pixel whose alpha is not 0 the alpha `alpha` (semi-transparent marks and
// buttons).
void SetVisibleAlpha(GdkPixbuf* buffer, int alpha);

// Writes R, G, B, A of one pixel; pixels outside the buffer are left alone.
void DrawPixel(GdkPixbuf* buffer, int x, int y, int r, int g, int b, int a);
// A line from (x0, y0) towards (x1, y1). It steps one pixel at a time along the longer of
// the two directions, from the smaller coordinate up to but not including the larger one,
// and takes the other coordinate from the line equation, truncated. Only pixels inside the
// buffer are written.
void DrawLine(GdkPixbuf* buffer, int x0, int y0, int x1, int y1, int r, int g, int b, int a);

// Draws a pattern into its image at s inches per pixel: the buffer is cleared, then the
// points are joined in order by black lines. Point (px, py) lands on pixel
// (int((offsetX + px - minX) / s), int((offsetY + py - minY) / s)).
//   - "c s" (a new stroke) and any point outside the buffer break the line;
//   - a point within 0.05 inch of the last drawn point is passed over;
//   - the entity numbered interface_.highlightEntity (1-based count of "c e s") is drawn
//     red up to its "c e e".
// Returns the number of points used (inside the image and not passed over); 0 when there
// is no buffer, no pattern, no point or no usable scale.
int DrawPattern(GdkPixbuf* buffer, const Pattern* pattern, float offsetX, float offsetY, float s);
// As DrawPattern with the highlighted entity given (-1 for none) and the pattern's own
// minimum replaced by (minX, minY): the thumbnails of pattern files use (0, 0).
int DrawPatternPoints(GdkPixbuf* buffer, const Pattern* pattern, float offsetX, float offsetY,
                      float minX, float minY, float s, int highlightEntity);

// The pattern drawn at the view's scale (interface_.viewScale): what each loaded pattern
// keeps as its `thumbnail`. A new reference, or null when no image can be made.
GdkPixbuf* PatternImageAtViewScale(const Pattern* pattern);
