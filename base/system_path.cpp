#include "base/system_path.h"

#include <cstdlib>

std::string SystemPath(const std::string& absolutePath)
{
    if (absolutePath.empty() || absolutePath[0] != '/')
        return absolutePath;
    const char* root = std::getenv("CORVAN_SYSROOT");
    if (root == nullptr || *root == '\0')
        return absolutePath;
    std::string prefix(root);
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    return prefix + absolutePath;
}
