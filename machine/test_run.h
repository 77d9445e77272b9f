#pragma once
// The endurance run: a hidden service command that stitches the current pattern box once and
// then travels it over and over, to wear the machine in or find a fault that shows only
// after hours. It is behind a password so that nobody starts it by accident.

// Passes of the repeated loop after which the run ends by itself.
constexpr int kEnduranceRunPasses = 3498;

// The run's streaming loop: ProcessPattern's loop with the endurance run's differences (no
// questions at jumps, a pause ends the run after the pass, the end of the path does not stop
// the run). 2 when it left for a pause in a stitching run; otherwise 0.
int ProcessPattern2();

// Asks for the password and runs the endurance run on the current pattern box.
void menuRunTest();
