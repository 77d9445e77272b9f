#pragma once
// Runs the start-up sequence and then the GTK main loop; returns 1 when the loop ends.
int initializeUserInterface(int argc, char** argv);
