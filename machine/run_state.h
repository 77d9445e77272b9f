#pragma once
// State of a stitching run shared between the run, its buttons and start-up.

struct FullPattern_t;

// The stitch cursor: the point of the stitch path most recently sent to the controller
// (before a start, the point to start from; null = the first point). Not owned: the points
// belong to the stitch path.
extern FullPattern_t* fpTemp;
