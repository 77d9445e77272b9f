// Saving a layout under a name: the name rules, the overwrite question, the log line.

#include "patterns/layout_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "base/console.h"
#include "base/message_windows.h"
#include "patterns/pattern_box.h"

std::string RemoveForbiddenCharacters(const std::string& name)
{
    static const char forbidden[] = "!@#$%^&*()+={}[]|\\?.,<>:; \"'~`/";
    std::string kept;
    for (char c : name) {
        bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        if (!control && std::strchr(forbidden, c) == nullptr)
            kept += c;
    }
    return kept;
}

int SaveLayout(const std::string& name, int askBeforeOverwriting, int nameIsPath)
{
    if (name.size() > kLayoutNameMax) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "FILENAME IS TOO LONG");
        return 0;
    }
    std::string path;
    if (nameIsPath != 0) {
        // A path is the program's own ("/tmp/undo", "./recovery"); a NUL would cut it short.
        if (name.empty() || name.find('\0') != std::string::npos)
            return 0;
        path = name + ".qlf";
    } else {
        std::string kept = RemoveForbiddenCharacters(name);
        if (kept.empty()) {
            ShowMessage(MSG_ERROR, BUTTONS_OK, "FILENAME IS EMPTY");
            return 0;
        }
        path = "./Layout/" + kept + ".qlf";
    }
    ConsolePrintf("Layout Filename is: %s\n", path.c_str());

    // Without a quilting area there can be no box and no placement: nothing to keep, and a
    // file claiming an area of no corners would skip the area's set-up when loaded.
    if (extents == nullptr) {
        ConsolePrintf("No quilting area: layout not saved\n");
        return 0;
    }
    if (askBeforeOverwriting != 0 && access(path.c_str(), F_OK) == 0 &&
        ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "FILE EXISTS!\nOVERWRITE FILE?") !=
            RESPONSE_OK)
        return 0;
    return WriteLayoutFileAt(path.c_str(), (path + ".part").c_str());
}
