#pragma once
// The program's `interface` record: what the main window, the views and the machine code
// share about the screen and the machine. The variable is called `interface_` because
// `interface` is a macro on some platforms' headers.
//
// Only the members in use so far are here; the main window adds its own.

#include <string>

struct Interface {
    // Sense of the motor encoders as the controller reported it at start: 200 = reversed,
    // anything else = forward.
    int motorDirection = 0;
    // Name of the layout being worked on (a path without ".qlf"); empty when it has none, so
    // that Save Layout asks for one.
    std::string current_layout;
};

extern Interface interface_;
