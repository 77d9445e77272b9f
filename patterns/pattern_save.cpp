#include <sys/stat.h>

#include <cstdio>

#include "base/message_windows.h"
#include "base/console.h"
#include "patterns/pattern.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& s, const std::string& head)
{
    return s.compare(0, head.size(), head) == 0;
}

// The name becomes a file of ./patterns/: it must stay a plain name in that folder.
bool UsableFileName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != ".." &&
           name.find('\0') == std::string::npos;
}

}  // namespace

int SavePatternInFolder(const Pattern* pattern, const std::string& prefill,
                        const char* overwriteQuestion, std::string* savedPath)
{
    if (pattern == nullptr)
        return 0;
    std::string name = prefill;
    if (UiShowKeyboard(name, "SAVE AS:") != 1)
        return 0;
    // The keyboard may show the folder; the name is what follows it.
    if (StartsWith(name, kPatternFolder))
        name.erase(0, std::string(kPatternFolder).size());
    // A name typed with its extension is not given a second one.
    if (UsableFileName(name) && !EndsWith(name, ".qcc"))
        name += ".qcc";
    const std::string path = kPatternFolder + name;
    if (!UsableFileName(name) || path.size() > kPatternPathMax) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "INVALID PATTERN NAME.");
        return 0;
    }
    struct stat st;
    if (stat(path.c_str(), &st) == 0 &&
        ShowMessage(MSG_QUESTION, BUTTONS_YES_NO, overwriteQuestion) != RESPONSE_YES)
        return 0;
    if (savePattern(pattern, path) != 1) {
        ConsolePrintf("could not save pattern %s\n", path.c_str());
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT SAVE PATTERN FILE.");
        return 0;
    }
    if (savedPath != nullptr)
        *savedPath = path;
    return 1;
}

int SavePatternAs(const Pattern* pattern, std::string* savedPath)
{
    return SavePatternInFolder(pattern, "", kOverwriteQuestion, savedPath);
}
