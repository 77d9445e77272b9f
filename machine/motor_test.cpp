#include "machine/motor_test.h"

#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/run_support.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"

void TestLog::Set(const std::string& t)
{
    text = t;
    if (onChange)
        onChange();
}

void TestLog::Append(const std::string& t)
{
    text += t;
    if (onChange)
        onChange();
}

bool TestAllResult::AllPassed() const
{
    return x.passed && y.passed &&
           (stitcher == StitcherCheck::Passed || stitcher == StitcherCheck::UsingPortD);
}

namespace {

bool running = false;

// One check at a time, with the menus and the toolbar off meanwhile: the check runs pending
// events, and a menu command or a second check in the middle of it would drive the
// controller from two places at once.
class CheckScope {
public:
    CheckScope() : entered_(!running)
    {
        if (!entered_)
            return;
        running = true;
        oldMask_ = CurrentSensitivity();
        SetSensitivity(kMaskAllOff);
    }
    ~CheckScope()
    {
        if (!entered_)
            return;
        SetSensitivity(oldMask_);
        running = false;
    }
    bool entered() const { return entered_; }

private:
    bool entered_;
    uint32_t oldMask_ = 0;
};

std::string Format(const char* format, double a)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, format, a);
    return buf;
}

constexpr int kTestPoints = 50;
constexpr double kAlong_thou = 81.60001;   // per point along the tested axis
constexpr double kAcross_thou = -77.52001; // per point along the other axis
constexpr int kTestSpeed = 80;
constexpr int kTestMaxErr = 200;
constexpr int kOtherAxisKp = 5;

// Sends the test path from the start position; false when a move was refused.
bool SendTestPath(MotorAxis axis, int startX, int startY)
{
    FullPattern_t* first = nullptr;
    FullPattern_t* last = nullptr;
    for (int i = 0; i < kTestPoints; ++i) {
        const double along = i * kAlong_thou, across = i * kAcross_thou;
        const double dx = axis == MotorAxis::X ? along : across;
        const double dy = axis == MotorAxis::X ? across : along;
        const float feed = (i == 0 || i == kTestPoints - 1) ? 0.0f : 100.0f;
        last = AppendFullPatternPoint(last, float(startX + dx), float(startY + dy), feed);
        if (!first)
            first = last;
    }
    SetFeeds(first, 0);
    bool ok = true;
    for (FullPattern_t* p = first; p && ok; p = p->next)
        ok = SendMove(p->x, p->y, p->feed) == 0;
    FreeFullPattern(first);
    return ok;
}

MotorTestResult MotorTest(MotorAxis axis, TestLog& log)
{
    const char* name = axis == MotorAxis::X ? "X" : "Y";
    MotorTestResult result;
    int constants[8] = {};
    if (GetConstants(constants) == 0)
        StoreControllerConstants(constants);
    log.Set(std::string("Testing ") + name + " Motor\n");

    SetSpeed(kTestSpeed);
    log.Append(Format((std::string("Moving ") + name + " Motor at %0.0f% \n").c_str(), kTestSpeed));

    Halt();
    ClearBuffer();
    ClearMCBuffer();
    SendCommand(ControllerCommand::HandOver);
    allStop = RUN_GO;
    // The machine's origin stays where it is (moving it would shift every later run); the
    // test path is laid from where the carriage stands instead.
    EnableX();
    EnableY();
    Resume();
    int startX = 0, startY = 0;
    bool ok = sp >= 0 && GetXY(&startX, &startY) == 0;

    if (ok) {
        SetMaxErr(kTestMaxErr);
        if (axis == MotorAxis::X) {
            SetXKp(XKp);
            SetYKp(kOtherAxisKp);
        } else {
            SetXKp(kOtherAxisKp);
            SetYKp(YKp);
        }
        SetXKi(0);
        SetYKi(0);
        SetXKd(0);
        SetYKd(0);
        ok = SendTestPath(axis, startX, startY) && WaitForBufferEnd(nullptr) == BufferWait::Done;
    }
    int endX = 0, endY = 0;
    if (ok)
        ok = GetXY(&endX, &endY) == 0;

    if (ok) {
        result.ran = true;
        result.countsX = std::abs(endX - startX) * 2501.0 / 1000.0;
        result.countsY = std::abs(endY - startY) * 2501.0 / 1000.0;
        char buf[96];
        std::snprintf(buf, sizeof buf, "Encoder counts: \tX: %0.0f Y: %0.0f \n", result.countsX, result.countsY);
        log.Append(buf);
        const double counts = axis == MotorAxis::X ? result.countsX : result.countsY;
        std::snprintf(buf, sizeof buf, "%s: %0.0f", name, counts);
        ConsoleLine(buf);
        result.passed = counts > kMotorTestPassCounts;
        log.Append(std::string(name) + (result.passed ? " motor passed!\n" : " motor failed!\n"));
    } else {
        log.Append(std::string(name) + " Motor Error.  Test Aborted.\n");
        SendCommand(ControllerCommand::RunStart);
    }
    DisableX();
    DisableY();
    SendCommand(ControllerCommand::HandOver);
    SetSpeed(static_cast<int>(maxSpeed));
    SetMaxErr(Err);
    SendPidConstants();
    return result;
}

}  // namespace

StitcherCheck CheckStitcher(TestLog& log)
{
    if (needleUpMethod != MACHINE_TYPE_SERIAL) {
        log.Append("Stitcher is using PortD\n");
        return StitcherCheck::UsingPortD;
    }
    unsigned char byte = 0;
    const int r = GetStitcherReply(3000, &byte);
    StitcherCheck c = StitcherCheck::UnknownError;
    if (r == SERIAL_OK)
        c = byte == STITCHER_READY ? StitcherCheck::Passed : StitcherCheck::Failed;
    else if (r == SERIAL_FRAMING)
        c = StitcherCheck::FramingError;
    else if (r == SERIAL_CLOSED)
        c = StitcherCheck::PortDisabled;
    else if (r == SERIAL_TIMEOUT)
        c = StitcherCheck::TimedOut;
    switch (c) {
    case StitcherCheck::Passed: log.Append("Stitcher Communication: Passed\n"); break;
    case StitcherCheck::Failed: log.Append("Stitcher Communication: Failed\n"); break;
    case StitcherCheck::FramingError: log.Append("Stitcher Communication: Failed (Framing Error)\n"); break;
    case StitcherCheck::PortDisabled: log.Append("Stitcher Communication: Failed (Serial Port Disabled)\n"); break;
    case StitcherCheck::TimedOut: log.Append("Stitcher Communication: Failed (Communication Timed Out)\n"); break;
    default: log.Append("Stitcher Communication: Failed (Unknown Error)\n"); break;
    }
    return c;
}

MotorTestResult RunMotorTest(MotorAxis axis, TestLog& log)
{
    CheckScope scope;
    if (!scope.entered())
        return {};
    return MotorTest(axis, log);
}

int TestXMotor(TestLog& log) { return RunMotorTest(MotorAxis::X, log).ran ? 1 : 0; }
int TestYMotor(TestLog& log) { return RunMotorTest(MotorAxis::Y, log).ran ? 1 : 0; }

TestAllResult TestAllMotors(TestLog& log)
{
    TestAllResult all;
    CheckScope scope;
    if (!scope.entered())
        return all;
    all.ran = true;
    all.x = MotorTest(MotorAxis::X, log);
    all.y = MotorTest(MotorAxis::Y, log);
    log.Set("Testing All Motors\n");
    // A motor that ran but fell short failed too: "Passed" means both moved far enough.
    log.Append(all.x.passed && all.y.passed ? "Test All Motors Passed!\n"
                                            : "Test All Motors Failed!\n");
    all.stitcher = CheckStitcher(log);
    return all;
}

bool TestPortD(TestLog& log)
{
    CheckScope scope;
    if (!scope.entered())
        return false;
    struct Step {
        const char* text;
        ControllerCommand button;
        int state;
    };
    static const Step steps[] = {
        {"Command Button On\n", ControllerCommand::ButtonCommand, 1},
        {"Command Button Off\n", ControllerCommand::ButtonCommand, 0},
        {"Stitch Regulation Button On\n", ControllerCommand::ButtonStitchReg, 1},
        {"Stitch Regulation Button Off\n", ControllerCommand::ButtonStitchReg, 0},
        {"Needle Up Button On\n", ControllerCommand::ButtonNeedleUp, 1},
        {"Needle Up Button Off\n", ControllerCommand::ButtonNeedleUp, 0},
    };
    log.Set("Testing Port D\n");
    UiRunPendingEvents();
    for (const Step& s : steps) {
        DoNothing(1000);
        log.Append(s.text);
        UiRunPendingEvents();
        PseudoButtonPress(s.button, s.state, s.state, 0, 0);
    }
    return true;
}

bool DiagnosticRunning() { return running; }
