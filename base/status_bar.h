#pragma once
#include <string>

// The one-line hint the pattern view draws ("Select Pattern To Rotate", "Drag To Pan" ...).
extern std::string statusBar;
constexpr size_t kStatusBarMaxLength = 49;

// Sets the hint, cut to kStatusBarMaxLength characters; no text (nullptr) clears it.
void SetStatusBar(const char* text = nullptr);
