#pragma once
// Calibration of the camera's scale against a dark target of known height.
#include <cstdint>
#include <cstdio>

// The target's height, inches.
constexpr float kCalibrationTarget_inch = 3.4f;

// The height in rows of the dark band in a width x height x 3 RGB picture, 0 when there is
// none. A pixel is dark when its three bytes sum below 382; a row is dark with at least 16
// dark pixels. The band starts at the first run of ten dark rows and ends at the first run
// of ten light rows after that start; a band that runs off the bottom is no band. With
// `log`, the two-level picture is written to it, a line a row: "." dark, " " light.
int FindSize(const uint8_t* rgb, int width, int height, std::FILE* log = nullptr);
