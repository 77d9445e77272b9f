#include "files/file_ops.h"

#include <dirent.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/message_windows.h"
#include "base/system_path.h"
#include "base/ui_hooks.h"
#include "base/atomic_file.h"
#include "import/dxf_import.h"
#include "import/qli_import.h"
#include "view/thumbnail_cache.h"

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string BaseName(const std::string& path)
{
    const std::string trimmed = WithoutTrailingSlash(path);
    const size_t slash = trimmed.find_last_of('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

namespace {

enum class FileKind { Plain, Dxf, Qli };

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The extension from the last '.' of the file name (not of a folder above it).
size_t ExtensionStart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}

FileKind KindOf(const std::string& source)
{
    const size_t dot = ExtensionStart(source);
    if (dot == std::string::npos)
        return FileKind::Plain;
    const std::string ext = source.substr(dot);
    if (ext == ".dxf" || ext == ".DXF")
        return FileKind::Dxf;
    if (ext == ".qli" || ext == ".QLI")
        return FileKind::Qli;
    return FileKind::Plain;
}

std::string WithPatternExtension(const std::string& destination)
{
    const size_t dot = ExtensionStart(destination);
    return (dot == std::string::npos ? destination : destination.substr(0, dot)) + ".qcc";
}

// A path as the user may see it: names on a stick need not be valid UTF-8.
std::string Shown(const std::string& path)
{
    gchar* shown = g_filename_display_name(path.c_str());
    std::string text = shown != nullptr ? shown : path;
    g_free(shown);
    return text;
}

std::string RealPath(const std::string& path)
{
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return std::string();
    std::string text = real;
    std::free(real);
    return text;
}

bool IsSameOrInside(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return true;
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

// The names in a folder except "." and "..", sorted, read completely so that no folder stays
// open while the caller descends.
bool ReadNames(const std::string& folder, std::vector<std::string>* names)
{
    names->clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names->push_back(name);
    }
    std::sort(names->begin(), names->end());
    return true;
}

bool CopyBytes(std::FILE* in, std::FILE* out)
{
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        if (std::fwrite(buffer, 1, n, out) != n)
            return false;
    return std::ferror(in) == 0;
}

std::string Reason(int error) { return std::strerror(error != 0 ? error : EIO); }

struct TreeCopy {
    const CopyObserver* observer;
    int failures = 0;

    void Failed(const std::string& source, const std::string& destination, const std::string& why)
    {
        ++failures;
        if (*observer)
            (*observer)({source, destination, CopyOutcome::Failed, why});
    }
};

// Copies the content of `source` into `destination`, counting what failed.
bool CopyTree(const std::string& source, const std::string& destination, int depth, TreeCopy* copy)
{
    if (depth > kMaxFolderDepth) {
        copy->Failed(source, destination, "folders nested too deeply");
        return false;
    }
    struct stat st;
    if (mkdir(destination.c_str(), 0777) != 0 &&
        (errno != EEXIST || stat(destination.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
        copy->Failed(source, destination, "cannot create the folder: " + Reason(errno));
        return false;
    }
    std::vector<std::string> names;
    if (!ReadNames(source, &names)) {
        copy->Failed(source, destination, "cannot read the folder: " + Reason(errno));
        return false;
    }
    for (const std::string& name : names) {
        // A folder copy runs inside a button's handler: keep the waiting window alive.
        UiRunPendingEvents();
        const std::string from = Join(source, name);
        const std::string to = Join(destination, name);
        if (lstat(from.c_str(), &st) != 0) {
            copy->Failed(from, to, Reason(errno));
        } else if (S_ISDIR(st.st_mode)) {
            if (name[0] != '.')
                CopyTree(from, to, depth + 1, copy);
        } else if (S_ISREG(st.st_mode)) {
            const int result = CopyFileReporting(from, to, 1, *copy->observer);
            if (result == kFileFailed || result == kFileSame)
                ++copy->failures;
        } else {
            copy->Failed(from, to, "not a regular file or folder");
        }
    }
    return true;
}

bool RemoveTree(const std::string& path, int depth)
{
    if (depth > kMaxFolderDepth)
        return false;
    std::vector<std::string> names;
    if (!ReadNames(path, &names))
        return false;
    bool ok = true;
    for (const std::string& name : names) {
        const std::string entry = Join(path, name);
        struct stat st;
        if (lstat(entry.c_str(), &st) != 0) {
            ok = false;
        } else if (S_ISDIR(st.st_mode)) {
            // Hidden folders were never shown, so they are not ours to remove; the folder
            // holding one then stays as well.
            if (name[0] == '.' || !RemoveTree(entry, depth + 1))
                ok = false;
        } else if (S_ISREG(st.st_mode)) {
            if (DeleteFile(entry, 1) != kFileDone)
                ok = false;
        } else if (unlink(entry.c_str()) != 0) {
            ok = false;
        }
    }
    return rmdir(path.c_str()) == 0 && ok;
}

bool FindIn(const std::string& folder, const std::string& name, int depth, std::string* found)
{
    if (depth > kMaxFolderDepth)
        return false;
    std::vector<std::string> names;
    if (!ReadNames(folder, &names))
        return false;
    for (const std::string& entry : names) {
        if (entry[0] == '.')
            continue;
        if (entry.find(name) != std::string::npos) {
            *found = folder;
            return true;
        }
        const std::string path = Join(folder, entry);
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            FindIn(path, name, depth + 1, found))
            return true;
    }
    return false;
}

bool FindRegularIn(const std::string& folder, const std::string& name, int depth, std::string* found)
{
    if (depth > kMaxFolderDepth)
        return false;
    std::vector<std::string> names;
    if (!ReadNames(folder, &names))
        return false;
    struct stat st;
    for (const std::string& entry : names) {
        if (entry[0] == '.')
            continue;
        const std::string path = Join(folder, entry);
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            FindRegularIn(path, name, depth + 1, found))
            return true;
        if (entry.find(name) != std::string::npos && lstat(Join(folder, name).c_str(), &st) == 0 &&
            S_ISREG(st.st_mode)) {
            *found = folder;
            return true;
        }
    }
    return false;
}

}  // namespace

int CopyFileReporting(const std::string& source, const std::string& requested, int quiet,
                      const CopyObserver& observer)
{
    const FileKind kind = KindOf(source);
    const std::string destination =
        kind == FileKind::Plain ? requested : WithPatternExtension(requested);
    auto finish = [&](int result, CopyOutcome outcome, const std::string& reason) {
        if (observer)
            observer({source, destination, outcome, reason});
        if (!quiet && result == kFileFailed)
            ShowMessage(MSG_ERROR, BUTTONS_OK, "ERROR: FILE COULD NOT BE COPIED");
        else if (!quiet && result == kFileDone)
            ShowMessage(MSG_INFO, BUTTONS_OK, "FILE COPIED");
        return result;
    };

    struct stat from, to;
    if (stat(source.c_str(), &from) != 0)
        return finish(kFileFailed, CopyOutcome::Failed, "cannot read: " + Reason(errno));
    if (!S_ISREG(from.st_mode))
        return finish(kFileFailed, CopyOutcome::Failed, "not a regular file");
    // One file under two names ("//", a link, a hard link) must not be copied onto itself:
    // that would empty it.
    const bool exists = stat(destination.c_str(), &to) == 0;
    if (exists && from.st_dev == to.st_dev && from.st_ino == to.st_ino) {
        if (!quiet)
            ShowMessage(MSG_ERROR, BUTTONS_OK, "SORRY.\nYOU MAY NOT COPY TO THE SAME DIRECTORY.");
        return finish(kFileSame, CopyOutcome::Failed, "source and destination are the same file");
    }
    if (exists && S_ISDIR(to.st_mode))
        return finish(kFileFailed, CopyOutcome::Failed, "a folder of that name is in the way");
    if (exists &&
        ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "FILE EXISTS!\nOVERWRITE FILE?") != RESPONSE_OK) {
        if (observer)
            observer({source, destination, CopyOutcome::Kept, std::string()});
        return kFileDeclined;
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(source.c_str(), "rb"), std::fclose);
    if (!in)
        return finish(kFileFailed, CopyOutcome::Failed, "cannot read: " + Reason(errno));
    AtomicFileWriter out(destination);
    if (!out.Open())
        return finish(kFileFailed, CopyOutcome::Failed, "cannot write: " + Reason(out.error()));
    DeleteThumbnail(source);
    bool done;
    switch (kind) {
    case FileKind::Dxf: done = ConvertDXF(in.get(), out.stream()) >= 0; break;
    // The QLI import reports failure as 0, not as a negative value.
    case FileKind::Qli: done = ImportQLI(in.get(), out.stream()) > 0; break;
    default: done = CopyBytes(in.get(), out.stream()); break;
    }
    if (!done && kind != FileKind::Plain) {
        out.Abandon();
        return finish(kFileFailed, CopyOutcome::Failed, "the drawing could not be imported");
    }
    if (!done && std::ferror(in.get()) != 0) {
        out.Abandon();
        return finish(kFileFailed, CopyOutcome::Failed, "read error");
    }
    if (!out.Commit())
        return finish(kFileFailed, CopyOutcome::Failed, "cannot write: " + Reason(out.error()));
    return finish(kFileDone, kind == FileKind::Plain ? CopyOutcome::Copied : CopyOutcome::Imported,
                  std::string());
}

int CopyFile(const std::string& source, const std::string& destination, int quiet)
{
    return CopyFileReporting(source, destination, quiet, CopyObserver());
}

bool CopyWouldNestFolder(const std::string& source, const std::string& destinationFolder,
                         const std::string& name)
{
    const std::string from = RealPath(source);
    const std::string folder = RealPath(destinationFolder);
    if (from.empty() || folder.empty())
        return false;
    std::string target = Join(folder, name);
    const std::string existing = RealPath(target);
    if (!existing.empty())
        target = existing;
    return IsSameOrInside(target, from);
}

int CopyDirectoryReporting(const std::string& source, const std::string& destination, int quiet,
                           const CopyObserver& observer)
{
    const std::string to = WithoutTrailingSlash(destination);
    const size_t slash = to.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    if (CopyWouldNestFolder(source, parent, BaseName(to))) {
        if (!quiet)
            ShowMessage(MSG_ERROR, BUTTONS_OK,
                        "SORRY.\nYOU MAY NOT COPY THE FOLDER TO THE SAME DIRECTORY.");
        return -1;
    }
    struct stat st;
    int failures = -1;
    if (stat(source.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        TreeCopy copy{&observer};
        if (CopyTree(WithoutTrailingSlash(source), to, 0, &copy))
            failures = copy.failures;
    }
    if (!quiet)
        ShowDirectoryCopyOutcome(failures);
    return failures;
}

void ShowDirectoryCopyOutcome(int failures)
{
    if (failures < 0)
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT COPY DIRECTORY");
    else if (failures == 0)
        ShowMessage(MSG_INFO, BUTTONS_OK, "DIRECTORY COPIED");
    else
        ShowMessage(MSG_ERROR, BUTTONS_OK,
                    std::to_string(failures) + " FILES COULD NOT BE COPIED");
}

int CopyDirectory(const std::string& source, const std::string& destination, int quiet)
{
    return CopyDirectoryReporting(source, destination, quiet, CopyObserver());
}

int DeleteFile(const std::string& path, int quiet)
{
    if (!quiet && ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                              "DELETE FILE:\n" + Shown(BaseName(path))) != RESPONSE_OK)
        return kFileCanceled;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || unlink(path.c_str()) != 0)
        return kFileFailed;
    DeleteThumbnail(path);
    return kFileDone;
}

int DeleteDirectory(const std::string& path, int quiet)
{
    if (IsProtectedFolder(path))
        return kFileFailed;
    if (!quiet && ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                              "DELETE DIRECTORY: \n " + Shown(path) +
                                  "\nAND ALL SUBDIRECTORIES AND FILES?") != RESPONSE_OK)
        return kFileCanceled;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return kFileFailed;
    // A link to a folder goes, the folder it names stays.
    if (S_ISLNK(st.st_mode))
        return unlink(path.c_str()) == 0 ? kFileDone : kFileFailed;
    if (!S_ISDIR(st.st_mode))
        return kFileFailed;
    return RemoveTree(WithoutTrailingSlash(path), 0) ? kFileDone : kFileFailed;
}

bool IsProtectedFolder(const std::string& path)
{
    const std::string real = RealPath(path);
    if (real.empty())
        return false;
    for (const std::string& root : {std::string("./patterns"), std::string("./thumbnails"),
                                    SystemPath("/media/usb/")}) {
        const std::string protectedPath = RealPath(root);
        if (!protectedPath.empty() && IsSameOrInside(protectedPath, real))
            return true;
    }
    return false;
}

int findFile(std::string& folder, const std::string& name)
{
    std::string found;
    if (!FindIn(folder, name, 0, &found))
        return 0;
    folder = found;
    return 1;
}

int findRegularFile(std::string& folder, const std::string& name)
{
    std::string found;
    if (!FindRegularIn(folder, name, 0, &found))
        return 0;
    folder = found;
    return 1;
}
