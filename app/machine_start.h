#pragma once
// The start-up steps that talk to the controller.

// Loads the settings when the controller answers: its eight constants, then its stitch
// settings (or their fallbacks when that reply does not come), then records 11 to 25 from
// the settings file, and writes records 0 to 10 back so the file follows the controller.
// Expects the starting values to be set already. 1 when the controller answered; 0 when it
// is silent, and then nothing is changed and the caller falls back to the file.
int LoadSettingsFromController();

// Asks the controller for the sense of its motor encoders and keeps it in interface_.
// A failed query leaves the record as it was.
void ReadMotorDirection();
