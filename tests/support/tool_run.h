#pragma once
// Runs build/corvan-tool with arguments (an argument vector, no shell) in the current
// folder and collects what it printed and how it ended.
#include <string>
#include <vector>

struct ToolRun {
    int status = -1;  // exit status; 128 + signal when it was killed
    std::string out, err;
};

ToolRun RunCorvanTool(const std::vector<std::string>& args);

// The lines of a text, without their line feeds.
std::vector<std::string> TextLines(const std::string& text);
