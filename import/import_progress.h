#pragma once
// The status window an import shows while it works, with its step counter: the screen is
// kept alive (the bar pulses and pending events run) once every 500 steps of work. STOP is
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
    void Step()
    {
        if (count_ % 500 == 0)
            Update();
        ++count_;
    }

private:
    void Update();
    StatusWindow* window_ = nullptr;
    unsigned long count_ = 0;
};
