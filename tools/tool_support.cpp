#include "tools/tool_support.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>


bool ParseToolNumber(const std::string& text, double* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

bool ParseToolInt(const std::string& text, long low, long high, long* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < low || v > high)
        return false;
    *value = v;
    return true;
}

ConsoleToStderr::ConsoleToStderr()
{
    std::fflush(stdout);
    savedStdout_ = dup(STDOUT_FILENO);
    if (savedStdout_ >= 0)
        dup2(STDERR_FILENO, STDOUT_FILENO);
}

ConsoleToStderr::~ConsoleToStderr()
{
    std::fflush(stdout);
    if (savedStdout_ >= 0) {
        dup2(savedStdout_, STDOUT_FILENO);
        close(savedStdout_);
    }
}
