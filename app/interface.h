#pragma once
// The program's `interface` record: what the main window, the views and the machine code
// share about the screen and the machine. The variable is called `interface_` because
// `interface` is a macro on some platforms' headers.
//
// Only the members in use so far are here; the main window adds its own.

struct FullPattern_t;

struct Interface {
    // Sense of the motor encoders as the controller reported it at start: 200 = reversed,
    // anything else = forward.
    int motorDirection = 0;
    // The stitch path of the current pattern box (first point), null when none is prepared.
    // Owns its points: rebuilt by PackFullPattern, released by FreeStitchList.
    FullPattern_t* stitchList = nullptr;

    // Inches per screen pixel of the pattern view.
    float viewScale = 0.001f;
    // Entity of the selected pattern drawn highlighted (1-based), -1 for none.
    int highlightEntity = -1;
    // 1 while an automatic fitting or autofill runs; Stop and Cancel clear it to end it.
    int fittingActive = 0;
};

extern Interface interface_;
