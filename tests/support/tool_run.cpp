#include "support/tool_run.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

ToolRun RunCorvanTool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {std::string(CORVAN_BINARY_DIR) + "/corvan-tool"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& a : argv)
        cargv.push_back(&a[0]);
    cargv.push_back(nullptr);
    ToolRun run;
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint wait = 0;
    GError* error = nullptr;
    if (!g_spawn_sync(nullptr, cargv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, &out,
                      &err, &wait, &error)) {
        ADD_FAILURE() << "cannot run corvan-tool: " << (error ? error->message : "?");
        g_clear_error(&error);
        return run;
    }
    run.out = out ? out : "";
    run.err = err ? err : "";
    g_free(out);
    g_free(err);
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
    return run;
}

std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
