#pragma once
// Thumbnails of pattern files for the pattern select screen, cached as PNG files in
// "./thumbnails/" under the pattern file's base name with ".png" for its extension. Two
// pattern files of the same name in different folders share one thumbnail. A cached
// thumbnail of another size than the preview (pattern_preview_width x _height) is stale:
// it is deleted and drawn again.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

// "./thumbnails/NAME.png" for a pattern file path; empty for a path without a file name.
std::string ThumbnailPath(const std::string& patternPath);

// The thumbnail of a pattern file as a new pixbuf (one reference for the caller): read from
// the cache, or drawn (black lines on transparent white, the pattern fitted into the
// preview) and saved there. Null, after the message "Pattern File Is Invalid\n", when the
// file holds no valid pattern; null without a message when the preview has no size.
GdkPixbuf* GetPicFromFile(const std::string& patternPath);

// Removes the cached thumbnail of a pattern file, if any (a copied or re-imported pattern
// then gets a fresh one).
void DeleteThumbnail(const std::string& patternPath);
