#pragma once
// The on-screen keyboard and the number pad behind UiShowKeyboard and UiNumberEntry: modal
// windows with a nested main loop, one at a time.

#include <string>

// Installs the keyboard and the number pad into the UI seam. Call after gtk_init.
void InstallKeyboard();

// The keyboard: `text` is the starting value and, afterwards, the entry's final content
// (whichever way the keyboard ended); `prompt` is shown left of the entry. 1 for OK, 0 for
// Cancel, for a keyboard destroyed from outside, or when a keyboard or pad is already open.
int ShowKeyboard(std::string& text, const std::string& prompt);

// The number pad: the number entered, or the start value on Cancel (also when a keyboard or
// pad is already open). See NumberPadResult in files/keyboard.h.
double NumberEntry(const std::string& startText, int allowDecimal, int angleMode);

// True while a keyboard or number pad is open: a second one answers Cancel at once.
extern bool modalInputOpen;
