#include "files/pattern_tree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "base/message_windows.h"
#include "base/system_path.h"

namespace {

// Deeper than any real folder tree of patterns; a bound on the work whatever the disk holds.
constexpr int kMaxDepth = 32;

bool LessCaseless(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](unsigned char x, unsigned char y) {
                                            return std::tolower(x) < std::tolower(y);
                                        });
}

bool Wanted(const std::string& name, const std::string& extensions)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;  // no extension, nothing to look for
    return extensions.find(name.substr(dot)) != std::string::npos;
}

int ReadFolder(PatternTree* parent, const std::string& folder, const std::string& extensions,
               int depth)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return 0;
    int listed = 0;
    while (dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxDepth)
                continue;
            PatternTreeRow row;
            row.name = name;
            row.kind = 0;
            int inside = ReadFolder(&row.children, path, extensions, depth + 1);
            if (inside > 0) {
                parent->push_back(std::move(row));
                listed += inside;
            }
        } else if (!S_ISLNK(st.st_mode) || stat(path.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode) || !Wanted(name, extensions))
                continue;
            PatternTreeRow row;
            row.name = name;
            row.kind = 1;
            parent->push_back(std::move(row));
            ++listed;
        }
    }
    return listed;
}

}  // namespace

int readDir(PatternTree* parent, const std::string& folder, const std::string& extensions)
{
    if (parent == nullptr || folder.empty())
        return 0;
    return ReadFolder(parent, folder, extensions, 0);
}

void SortStore(PatternTree* store)
{
    if (store == nullptr)
        return;
    std::stable_sort(store->begin(), store->end(),
                     [](const PatternTreeRow& a, const PatternTreeRow& b) {
                         if (a.kind != b.kind)
                             return a.kind < b.kind;
                         return LessCaseless(a.name, b.name);
                     });
    for (PatternTreeRow& row : *store)
        SortStore(&row.children);
}

int GetFiles(int kind, PatternTree* store)
{
    if (store == nullptr)
        return 0;
    int listed = 0;
    switch (kind) {
    case 0:
        listed = readDir(store, "./patterns/", ".qcc .QCC");
        break;
    case 1:
        if (!CheckUSBIsIn())
            return 0;
        listed = readDir(store, SystemPath("/media/usb/"), ".dxf .qcc .DXF .QCC .qli .QLI");
        break;
    case 2:
        listed = readDir(store, "./dxf", ".dxf .DXF .qli .QLI");
        break;
    default:
        return 0;
    }
    SortStore(store);
    return listed > 0 ? 1 : 0;
}
