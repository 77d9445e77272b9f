// Loading a layout for a command: no questions, the core's console lines on standard error.
#include "base/message_windows.h"
#include "patterns/layout_file.h"
#include "tools/tool_support.h"

int LoadLayoutForTool(const std::string& path)
{
    ConsoleToStderr quiet;
    const int loaded = LoadLayout(path, 1, 1);
    CloseWaitingWindow(waitWindow);
    return loaded;
}
