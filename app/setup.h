#pragma once
// The logic behind the setup screen: what each slider and entry does to the settings, the
// machine types, the factory defaults, the access word of the Configuration page, reading
// the values the pages show, and the buttons that reverse the motors, recalibrate the touch
// screen or restart the program. No GTK here: the screen (app/setup_screen.cpp) only builds
// widgets, forwards their signals and shows what these functions return; every question
// goes through the UI seam, so each flow runs headless under a scripted user.

#include <string>

// The eight constants the motion controller reports, in the order it reports them.
struct Floaters {
    int XKp = 100, XKi = 100, YKp = 100, YKi = 100, YKd = 100, Err = 100, TOut = 100, XKd = 100;
};
extern Floaters floaters;

// --- Edit codes --------------------------------------------------------------------------------

// What an edit did: whether anything changed, the value now in force and its text as the
// control shows it.
struct EditResult {
    bool applied = false;
    double value = 0;
    std::string text;
};

// True for the codes "0" to "9" and "a" to "n".
bool IsEditCode(char code);
// The text a control of this code shows for `value` ("%d" for integers, "%0.3f" or "%0.0f"
// for floats).
std::string EditCodeText(char code, double value);
// Applies `value` to the setting of `code`: clamps it to the code's range, truncates integers
// (saturating first, so no value is out of reach of the conversion), sets the global, sends
// it to the controller where the controller keeps it and writes its record where the file
// keeps it. "9" goes to the nearest ten and sets `maxSpeed` too; "a" sets `minSpeed` as
// well. A value that is not finite, or an unknown code, changes nothing and returns the
// value in force (unknown code: empty text).
EditResult ApplyEditCode(char code, double value);
// The value in force for `code` (what ApplyEditCode would show without a change).
double EditCodeValue(char code);

// --- Machine types -----------------------------------------------------------------------------

struct MachineTypeRow {
    const char* label;
    bool keepsTimings;  // the custom type leaves the five values as they are
    int confirm;
    float needleUpPress, needleUpTime, stitchRegPress, stitchRegTime;
    const char* consoleText;
};
constexpr int kMachineTypeCount = 12;
// The row of `index`; index 0 and anything outside 1..11 take the first row.
const MachineTypeRow& MachineTypeFor(int index);
// The question asked before a machine type is chosen.
std::string MachineTypeQuestion(int index);
// Asks; only OK chooses the type (ApplyMachineType). True when applied.
bool ChooseMachineType(int index);
// Stores `index` in needleUpMethod (record 18), sets the row's values and writes records
// 19 to 23.
void ApplyMachineType(int index);

// --- Toggles -----------------------------------------------------------------------------------

// "Confirm Needle Up": record 19.
void SetNeedleUpConfirmValue(bool on);
// "Stitch Btns": asks; on Yes sets stitchButtonsOn and writes record 24. True when applied
// (the screen then shows or hides the toolbar buttons; otherwise it puts the check back).
bool ChangeStitchButtons(bool on);
// "Show Advanced Features": records 25 and 24 (the stitch buttons follow). The screen shows
// or hides what depends on it.
void ChangeShowAdvancedFeatures(bool on);

// The fixed access word of the Configuration page, compared exactly.
bool AccessWordMatches(const std::string& typed);
// Asks for the access word on the keyboard; true when the right word was typed and confirmed.
bool AskAccessWord();

// --- Factory defaults --------------------------------------------------------------------------

// Sets every factory value in the globals (no sending, no file).
void SetFactoryDefaultValues();
// The 26 records of the settings file for the current globals (104 bytes, little-endian).
std::string SettingsFileBytes();
// Replaces the settings file as a whole with the current globals: written to a temporary
// file, flushed to the device and renamed over it, so a failure leaves the old file intact.
bool WriteSettingsFileAtomically();
// The factory-defaults button: asks; on OK sets the factory values, writes the settings
// file and sends the 13 controller commands. When the file cannot be written the globals
// are put back, nothing is sent and an error message says so. True when the defaults are
// in force (the screen then hides the advanced items and rebuilds itself).
bool ResetFactoryDefaults();

// --- Reading the pages -------------------------------------------------------------------------

// Opening the setup screen: the setup byte, then the controller's constants into `floaters`
// (all 100 when they do not come). True when they came.
bool ReadSetupConstants();

// What the Parameters page's sliders show.
struct ParameterValues {
    int stitchLen = 10, speed = 50, minimumSpeed = 3, stitchRep = 2;
    float slow = 3.0f;
    bool settingsRead = false, slowRead = false;
};
// Asks the controller for its stitch settings and needle setting. Values that came are put
// into the globals; on a time-out the page shows the stand-in values without changing any
// global, so opening the screen never changes a later run.
ParameterValues ReadParameterValues();

// The home menu's "Setup": the setup screen, built afresh (every page reads the controller
// and the globals again), with the navigation mask.
void menuMainSetup();

// --- Buttons -----------------------------------------------------------------------------------

// The direction button's label for a direction byte.
const char* DirectionLabel(int direction);
// The direction as the controller reports it (100 when it does not answer).
int ControllerMotorDirection();
// "REVERSE MOTOR DIRECTION?": only OK reverses. Returns the direction read afterwards (also
// kept in the interface record), or -1 when nothing was done.
int ReverseMotorDirection();
// Calibrate: on Yes only, removes the touch-screen calibration file, syncs and reboots.
// True when the reboot was asked for.
bool ResetCalibration();
// Restart: on OK only, exits with status 0 keeping the layout. True when the exit was made
// (only seen under test hooks).
bool RestartProgram();
// Ends the program with `status`; a layout that is not empty is first saved as the recovery
// layout, which the next start loads.
void ExitKeepingLayout(int status);
