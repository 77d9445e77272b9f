#pragma once
// State of a stitching run shared between the run, its buttons and start-up.

struct FullPattern_t;

// The stitch cursor: the point of the stitch path most recently sent to the controller
// (before a start, the point to start from; null = the first point). Not owned: the points
// belong to the stitch path.
extern FullPattern_t* fpTemp;

// What the operator asked the running loops to do. The loops re-read it after every pass of
// pending events and after every wait.
enum StopRequest : unsigned char { RUN_GO = 0, RUN_STOP = 1, RUN_PAUSE = 2 };
extern unsigned char allStop;

// Last machine position read by the stall watch of WaitForBuffer (thousandths of an inch).
extern int currentX, currentY;

// Set to 1 by StopPattern; ends the motor test run, which loops until it is set.
extern int stopTest;

// Points counted by the test run's log; cleared with the stop flags.
extern int logPoint;

// Clears the stop flags: allStop and logPoint.
void ClearTimers();
