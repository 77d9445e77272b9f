#pragma once
// The tree of pattern files that the pattern select screen lists: folders and the files in
// them that carry one of the wanted extensions, sorted folders first.

#include <string>
#include <vector>

struct PatternTreeRow {
    std::string name;
    int kind = 1;  // 0 folder, 1 file
    std::vector<PatternTreeRow> children;
};
using PatternTree = std::vector<PatternTreeRow>;

// Fills `store` with the tree of one place: 0 "./patterns/" (".qcc .QCC"), 1 the USB stick
// (".dxf .qcc .DXF .QCC .qli .QLI", after checking that it is there), 2 "./dxf"
// (".dxf .DXF .qli .QLI"). Sorted. Returns 1 when anything was listed.
int GetFiles(int kind, PatternTree* store);

// Adds the rows of `folder` to `parent`: every sub-folder (names starting with '.' left out,
// symbolic links to folders not followed, so a link loop cannot hang the listing) with its
// own rows, dropped again when nothing inside matched; and every file whose text from its
// last '.' occurs anywhere in `extensions`. Returns the number of files listed.
int readDir(PatternTree* parent, const std::string& folder, const std::string& extensions);

// Sorts every level: folders first, then by name, ASCII case-insensitively.
void SortStore(PatternTree* store);
