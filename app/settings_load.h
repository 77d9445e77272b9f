#pragma once
// Loading the settings at start-up: from the controller when it answers, else from
// ./defaults.mrv, else the first-start defaults (which are then written to a new file).

// What LoadSettings found.
enum class SettingsSource { Controller, File, Defaults };

SettingsSource LoadSettings();

// The starting values every load begins from.
void SetSettingsStartingValues();
// Derived values, then the range rules, then the not-a-number rules. The corrected values
// are not written back to the file.
void ApplySettingsRules();
