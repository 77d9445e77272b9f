#pragma once
// Semi-transparent button images drawn over the views (the edit buttons of the pattern view,
// the buttons of later dialogs).

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

// A new RGBA button image, owned by the caller; null when it cannot be made.
//   - image file, no text: the image at its own size, every pixel that is not fully
//     transparent given `alpha` (null when the file does not load);
//   - image file and text: a width x height picture with the image and the text centred on
//     it; pixels of the pure red (255, 0, 0) background become transparent, all others
//     take `alpha`;
//   - no image file: a width x height picture with a grey ellipse outline inset by 1 pixel,
//     a grey filled ellipse inset by 3 pixels and the text centred; outside the ellipse it
//     is transparent, inside it takes `alpha`.
GdkPixbuf* DrawButton(int width, int height, const std::string& text,
                      const std::string& imageFile, int alpha);
