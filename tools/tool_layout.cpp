// Reading and writing a layout for a command: no questions and no windows; the core's console
// lines and why a read failed go to standard error.
#include <cstdio>

#include "patterns/layout_file.h"
#include "tools/tool_support.h"

int LoadLayoutForTool(const std::string& path)
{
    std::string problem;
    int read = 0;
    {
        ConsoleToStderr quiet;
        read = ReadLayoutFile(path, &problem);
    }
    if (!read && !problem.empty())
        std::fprintf(stderr, "[message] %s\n", problem.c_str());
    return read;
}

int SaveLayoutForTool(const std::string& out)
{
    const std::string part = out + ".part";
    ConsoleToStderr quiet;
    return WriteLayoutFileAt(out.c_str(), part.c_str());
}
