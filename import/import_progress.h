#pragma once
// The status window an import shows while it works, counting its steps with the window's
// own counter (StatusWindowStep): the screen is kept alive (the bar pulses and pending events
// run) once every 500 steps of work. STOP is
// not consulted: a conversion is short and runs to its end.
#include <string>

struct StatusWindow;

class ImportProgress {
public:
    explicit ImportProgress(const std::string& title);
    ~ImportProgress();  // closes the window
    ImportProgress(const ImportProgress&) = delete;
    ImportProgress& operator=(const ImportProgress&) = delete;

    void SetText(const std::string& text);
    // One step of work (a token read, a point made, a run written).
    void Step();

private:
    StatusWindow* window_ = nullptr;
};
