#pragma once
// Stitch control: switching stitching on and off and raising the needle, whatever machine
// the robot is fitted to. The machine type (`needleUpMethod`, chosen on the setup screen)
// decides how:
//   - type 0: the machine has a stitch controller on the serial line (bytes 29, 30, 49);
//   - type 11 (the "Arlen 18"): the stitch-regulator button is held down while stitching,
//     and the machine has no needle-up of its own;
//   - every other type: the machine's own buttons are pressed briefly through the
//     controller ('H' stitch regulator, 'I' needle up), with the press and wait times of
//     the settings, and the needle position is polled with 'K' to confirm it came up.
//
// Also here: the controller's error texts and the one way every caller reports an error
// status to the operator.

#include "machine/controller.h"

// Machine types with behaviour of their own.
enum MachineType { MACHINE_TYPE_SERIAL = 0, MACHINE_TYPE_AR18 = 11 };

// Button states of a button command.
enum ButtonState { BUTTON_RELEASED = 0, BUTTON_PRESSED = 1 };

// 1 after StitchOn, 0 after StitchOff; both act only on a change.
extern int robotIsStitching;

// Response of the last error window that showed one of the `errors` texts.
extern int errorAns;

// Error texts by the controller's error bit mask (1 X motor, 2 stitch controller, 4 Y motor).
extern const char* const errors[8];

// Shows the operator an error status (254) with its code: -1 no code received, 0 cleared,
// 1..7 the table's text (the response goes to errorAns), anything else the unknown-error
// text with the number. One error window with an OK button.
void ReportControllerError(long code);

// Return 1 when done (StitchOn also when already on), 0 with the port closed.
int StitchOn();
int StitchOff();

// Raises the needle the machine type's way. Always 1: a needle that does not confirm only
// costs the wait. Returns at once with the port closed.
int NeedleUp();

// After byte 49 on type 0: waits up to 5 s for 250 (up, 1) or 251 (not up, 0). 0 also on
// time-out and with the port closed.
int WaitForNeedle();

// After the needle-up press on button machines: 1 when the needle was seen down and then up
// within needleUpTime ms (or at once after the wait when confirmation is off), 0 on
// time-out, -1 with the port closed.
int PauseForNeedle();

// Sends `button` with `state`. With press_ms 0 the button stays so; otherwise after press_ms
// it is set to releaseState and wait_ms pass. 1 sent, 0 port closed.
int PseudoButtonPress(ControllerCommand button, int state, int releaseState, int press_ms, int wait_ms);

// Sends a button release given as text "0x%2.2X %d ..." (button, state). 1 when the text
// holds fewer than two fields, a move packet is in flight or the port is closed (nothing
// sent), 0 when sent.
// The text stays the caller's.
int PseudoButtonRelease(const char* text);
