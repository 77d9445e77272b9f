#pragma once
// Service checks of the machine: a test of each axis motor (a fixed diagonal move, then how
// far the tested axis really went by the controller's encoders), the three buttons the
// controller can press, and whether the stitch controller answers.
//
// The checks write their report into a TestLog, never into a widget: the diagnostics page
// copies the text when it changes, the command-line tool prints it. While a check runs the
// menus and the toolbar are insensitive, and a second check asked for meanwhile (a button
// tapped again while events are processed) is ignored.

#include <functional>
#include <string>

struct TestLog {
    std::string text;
    // Called after every change of the text (may be empty).
    std::function<void()> onChange;

    void Set(const std::string& t);
    void Append(const std::string& t);
};

enum class MotorAxis { X, Y };

struct MotorTestResult {
    bool ran = false;     // the move finished and was measured (false: aborted or ignored)
    bool passed = false;  // the tested axis counted more than kMotorTestPassCounts
    double countsX = 0, countsY = 0;
};

// Encoder counts the tested axis must exceed over the test move (about 3.4 inches).
constexpr double kMotorTestPassCounts = 8500.0;

// The axis test. Ignored (nothing sent, log untouched) while another check runs.
MotorTestResult RunMotorTest(MotorAxis axis, TestLog& log);
// 1 when the test ran to its measurement, 0 when it was aborted or ignored.
int TestXMotor(TestLog& log);
int TestYMotor(TestLog& log);

enum class StitcherCheck { Passed, UsingPortD, Failed, FramingError, PortDisabled, TimedOut, UnknownError };

// Asks the stitch controller (on machine type 0; other types reach it through Port D) and
// appends the outcome's line.
StitcherCheck CheckStitcher(TestLog& log);

struct TestAllResult {
    bool ran = false;  // false: ignored because another check runs
    MotorTestResult x, y;
    StitcherCheck stitcher = StitcherCheck::UnknownError;
    // Both motors passed and the stitch controller answered (or is reached through Port D).
    bool AllPassed() const;
};

// Both motor tests, then the stitch controller; the text is replaced by the summary.
TestAllResult TestAllMotors(TestLog& log);
// Presses and releases the command, stitch regulation and needle-up buttons, a second
// apart. false when ignored.
bool TestPortD(TestLog& log);

// True while a check runs.
bool DiagnosticRunning();
