#pragma once
// Copying, importing and deleting files and folders for the file manager and corvan-tool.
//
// A copy writes the destination through a hidden temporary file and renames it into place
// only when everything was written, so a failed copy or import never costs the user the file
// they chose to overwrite. Whether source and destination are the same file is decided by
// device and inode, not by comparing path texts, and a folder is never copied into itself
// or one of its own sub-folders. Inside folders only regular files and sub-folders are
// followed; links, pipes and devices are never opened.
//
// Results are the program's usual codes; the messages are shown through the UI seam.

#include <functional>
#include <string>

// Results of CopyFile, DeleteFile and DeleteDirectory.
constexpr int kFileDone = 0;
constexpr int kFileFailed = 1;
constexpr int kFileSame = 3;      // CopyFile: source and destination are one file
constexpr int kFileDeclined = 4;  // CopyFile: the user kept the existing file
constexpr int kFileCanceled = 3;  // DeleteFile / DeleteDirectory: the user said no

// How a file was handled, for callers that report entry by entry.
enum class CopyOutcome { Copied, Imported, Kept, Failed };

struct CopyEntryReport {
    std::string source;
    std::string destination;  // after a ".qcc" extension replaced a drawing's
    CopyOutcome outcome = CopyOutcome::Failed;
    std::string reason;       // why it failed; empty otherwise
};
using CopyObserver = std::function<void(const CopyEntryReport& report)>;

// ".dxf"/".DXF" and ".qli"/".QLI" sources are imported into a pattern file whose name has
// ".qcc" in place of the destination's extension; anything else is copied byte for byte.
// The source's cached thumbnail is removed. Returns kFileDone, kFileFailed, kFileSame (after
// "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY." unless quiet) or kFileDeclined (the
// question "FILE EXISTS!\nOVERWRITE FILE?" is asked even when quiet). Unless quiet the
// outcome is shown: "FILE COPIED" or "ERROR: FILE COULD NOT BE COPIED".
// "a/b//" -> "a/b"; the root "/" stays.
std::string WithoutTrailingSlash(std::string path);
// The last name of a path, trailing slashes ignored: "a/b/" -> "b".
std::string BaseName(const std::string& path);

int CopyFile(const std::string& source, const std::string& destination, int quiet);
// The same, reporting the outcome of the file to `observer` (when set).
int CopyFileReporting(const std::string& source, const std::string& destination, int quiet,
                      const CopyObserver& observer);

// Copies the folder `source` as the folder `destination` (created with mode 0777 when
// missing): sub-folders (except those whose names start with '.') recursively, files with
// CopyFile quietly, so drawings inside are imported too. Refuses a destination that is the
// source or lies inside it ("SORRY.\nYOU MAY NOT COPY THE FOLDER TO THE SAME DIRECTORY.").
// Returns the number of entries that could not be copied (0 when all went well), or -1 when
// the folder itself could not be copied. Unless quiet ends with "DIRECTORY COPIED",
// "N FILES COULD NOT BE COPIED" or "COULD NOT COPY DIRECTORY".
int CopyDirectory(const std::string& source, const std::string& destination, int quiet);
int CopyDirectoryReporting(const std::string& source, const std::string& destination, int quiet,
                           const CopyObserver& observer);
// The message that ends a folder copy with that CopyDirectory result.
void ShowDirectoryCopyOutcome(int failures);

// True when the folder `destinationFolder` + "/" + `name` would be the folder `source` or
// lie inside it (links resolved).
bool CopyWouldNestFolder(const std::string& source, const std::string& destinationFolder,
                         const std::string& name);

// Deletes a file and its thumbnail after the question "DELETE FILE:\n" + its name (no
// question when quiet). kFileDone, kFileFailed or kFileCanceled.
int DeleteFile(const std::string& path, int quiet);
// Deletes a folder with its files and sub-folders after the question
// "DELETE DIRECTORY: \n " + path + "\nAND ALL SUBDIRECTORIES AND FILES?" (none when quiet).
// Links inside are removed, never followed; folders whose names start with '.' are left,
// and then the folder itself stays too. kFileDone, kFileFailed or kFileCanceled.
int DeleteDirectory(const std::string& path, int quiet);

// True when `path` is, or contains, one of the folders the program cannot live without:
// "./patterns", "./thumbnails" and the USB stick's root.
bool IsProtectedFolder(const std::string& path);

// Searches `folder` depth first (entries whose names start with '.' skipped, links not
// followed) for an entry whose name contains `name`. Returns 1 and replaces `folder` with
// the folder holding it when found, else 0.
int findFile(std::string& folder, const std::string& name);
// The same walk, but sub-folders first at each level and a hit only where the folder holds a
// regular file of exactly `name` (a "name.old" or a folder of that name is passed over and
// the search goes on).
int findRegularFile(std::string& folder, const std::string& name);

// The deepest folder level a copy or delete descends to; deeper folders count as failures.
constexpr int kMaxFolderDepth = 200;
