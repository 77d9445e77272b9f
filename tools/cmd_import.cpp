// corvan-tool import [--overwrite] SRC... DEST_DIR: files and folders copied into a folder as
// the file manager copies them, drawings imported into pattern files on the way. One line per
// file; an existing file is kept unless --overwrite is given.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/ui_hooks.h"
#include "files/file_ops.h"
#include "tools/tool.h"

namespace {

void PrintReport(const CopyEntryReport& r, int* failures)
{
    switch (r.outcome) {
    case CopyOutcome::Copied:
        std::printf("copied %s -> %s\n", r.source.c_str(), r.destination.c_str());
        break;
    case CopyOutcome::Imported:
        std::printf("imported %s -> %s\n", r.source.c_str(), r.destination.c_str());
        break;
    case CopyOutcome::Kept:
        std::printf("kept %s (exists)\n", r.destination.c_str());
        break;
    case CopyOutcome::Failed:
        std::printf("failed: %s: %s\n", r.source.c_str(), r.reason.c_str());
        ++*failures;
        break;
    }
    std::fflush(stdout);
}

}  // namespace

int RunImport(const ToolArgs& args)
{
    bool overwrite = false;
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg == "--overwrite")
            overwrite = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return ToolUsage("import", "unknown option " + arg);
        else
            paths.push_back(arg);
    }
    if (paths.size() < 2)
        return ToolUsage("import", "import needs at least one source and a destination folder");
    const std::string destination = WithoutTrailingSlash(paths.back());
    paths.pop_back();
    struct stat st;
    if (stat(destination.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "corvan-tool: %s is not a folder\n", destination.c_str());
        return kToolFailed;
    }

    // The copy asks before it overwrites; the option gives the answer. Nothing else is asked
    // of a quiet copy.
    uiHooks.showMessage = [overwrite](int, int buttons, const std::string& text) -> int {
        if (text == "FILE EXISTS!\nOVERWRITE FILE?")
            return overwrite ? RESPONSE_OK : RESPONSE_CANCEL;
        return AffirmativeResponse(buttons);
    };
    int failures = 0;
    const CopyObserver print = [&failures](const CopyEntryReport& r) { PrintReport(r, &failures); };
    for (const std::string& given : paths) {
        const std::string source = WithoutTrailingSlash(given);
        const std::string target = destination + "/" + BaseName(source);
        if (stat(source.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (CopyWouldNestFolder(source, destination, BaseName(source))) {
                PrintReport({source, target, CopyOutcome::Failed,
                             "a folder cannot be copied into itself"},
                            &failures);
                continue;
            }
            // A folder that cannot be read or created is reported through `print` too.
            CopyDirectoryReporting(source, target, 1, print);
        } else {
            CopyFileReporting(source, target, 1, print);
        }
    }
    ResetUiHooks();
    return failures == 0 ? kToolOk : kToolFailed;
}
