#pragma once
// What the camera screen's buttons do, without the widgets: video, snapshot and
// calibration over the camera record in interface_.camera. Pictures land in
// interface_.cameraSnapshot; messages go through the UI seam.

// The video's timer period, milliseconds.
constexpr int kVideoPeriod_ms = 75;

// Video on: opens the device. False (the toggle goes off again) without a camera or when
// the device does not open; otherwise videoRunning becomes 1 and VideoTick is to run every
// kVideoPeriod_ms.
bool StartVideo();
// Video off: the next tick grabs one last frame, closes the device and ends.
void StopVideo();
// One tick of the video: while it runs, a frame into cameraSnapshot and a redraw. Once
// stopped, one last frame and the device closed. False when the timer is to end: video
// stopped, or a grab failed (the device is then closed and videoRunning 0; the previous
// picture stays).
bool VideoTick();

// Snapshot: opens the device, grabs a frame into cameraSnapshot, redraws and closes it
// again. 1 with a new picture; 0 without (no camera, the device gone: the old picture
// stays).
int TakeSnapshot();

// Calibrate: FindSize over the camera's last frame (logged to `logPath` when given). A band
// of h rows sets viewScale and snapshotInchPerPixel to 3.4 / h and rebuilds the grid and the
// pattern images; without a band "CALIBRATION TARGET NOT FOUND" is shown and the scale is
// kept. 1 when calibrated.
int CalibrateCamera(const char* logPath = "./piclog");
