#include "files/file_filter.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>

bool FilePassesFilter(const std::string& name, const std::string& filter)
{
    if (filter.empty())
        return true;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = name.substr(dot);
    std::istringstream words(filter);
    std::string word;
    while (words >> word)
        if (word == extension)
            return true;
    return false;
}

bool ListFolder(const std::string& folder, const std::string& filter,
                std::vector<FolderEntry>* out)
{
    out->clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        struct stat st;
        std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
        if (stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            out->push_back({name, 0});
        else if (filter != kFolderOnlyFilter && FilePassesFilter(name, filter))
            out->push_back({name, 1});
    }
    std::sort(out->begin(), out->end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return std::lexicographical_compare(
            a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    });
    return true;
}
