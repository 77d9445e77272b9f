#pragma once
// Which files a file chooser lists, and in what order.

#include <string>
#include <vector>

// True when `filter` is empty (all files), or when the text from the file name's last '.'
// to its end is one of the blank-separated extensions of `filter` as a whole word
// (".qc" is not listed by ".qcc .QCC"). A name without a '.' passes only an empty filter.
bool FilePassesFilter(const std::string& name, const std::string& filter);

// The filter that lists folders only (a chooser picking a destination folder).
constexpr const char* kFolderOnlyFilter = ".ZZZ";

struct FolderEntry {
    std::string name;
    int kind = 1;  // 0 folder, 1 file
};

// The entries of `folder` a chooser shows: folders (names starting with '.' left out) and
// the files that pass `filter` (none with kFolderOnlyFilter), folders first, each sorted by name ASCII case-insensitively.
// False when the folder cannot be opened.
bool ListFolder(const std::string& folder, const std::string& filter,
                std::vector<FolderEntry>* out);
