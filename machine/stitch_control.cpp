#include "machine/stitch_control.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/console.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/serial.h"

int robotIsStitching = 0;
int errorAns = 0;

const char* const errors[8] = {
    "NO ERRORS DETECTED",
    "X MOTOR FAILURE",
    "THE STITCH CONTROLLER IS NOT PRESENT, OR IT HAS GENERATED AN ERROR",
    "X MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR",
    "Y MOTOR FAILURE",
    "X MOTOR FAILURE\nY MOTOR FAILURE",
    "Y MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR",
    "X MOTOR FAILURE\nY MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR",
};

namespace {

bool PortClosed() { return sp < 0; }

// The timing settings are float milliseconds, used truncated. A value that is not a
// number or negative waits not at all; the settings' range rules keep sane values anyway.
int Ms(float setting)
{
    if (!(setting > 0.0f))
        return 0;
    if (setting >= 2.0e9f)
        return 2000000000;
    return static_cast<int>(setting);
}

// A momentary press of a machine button. A press of 0 ms would leave the button held (that
// is how the held stitch-regulator button of the AR18 is sent), and settings below 1 ms
// truncate to 0; such a press is made as long as the one every button machine type is set
// up with, which the machines are known to see.
constexpr int kUsualPress_ms = 100;
int Press_ms(float setting)
{
    const int ms = Ms(setting);
    return ms >= 1 ? ms : kUsualPress_ms;
}

// Sleeps `ms` but never past `deadline`.
void SleepUntilAtMost(long deadline, int ms)
{
    long left = deadline - Monotonic_ms();
    long step = std::min<long>(ms, left);
    if (step > 0)
        usleep(static_cast<useconds_t>(step * 1000));
}

}  // namespace

void ReportControllerError(long code)
{
    if (code == -1) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "MOTOR CONTROLLER HAS AN ERROR.\nUNABLE TO RETRIEVE");
    } else if (code == 0) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "MOTOR CONTROLLER HAD AN ERROR\nBUT IT HAS BEEN CLEARED");
    } else if (code >= 1 && code <= 7) {
        errorAns = UiShowMessage(MSG_ERROR, BUTTONS_OK, errors[code]);
    } else {
        UiShowMessage(MSG_ERROR, BUTTONS_OK,
                      "MOTOR CONTROLLER HAS UNKNOWN ERROR\n" + std::to_string(code));
    }
}

int PseudoButtonPress(ControllerCommand button, int state, int releaseState, int press_ms, int wait_ms)
{
    if (PortClosed())
        return 0;
    const unsigned char command[2] = {Byte(button), static_cast<unsigned char>(state)};
    WriteBlock(command, 2);
    if (press_ms == 0)
        return 1;
    DoNothing(press_ms);
    char release[32];
    std::snprintf(release, sizeof release, "0x%2.2X %d 1", unsigned(Byte(button)), releaseState);
    PseudoButtonRelease(release);
    if (wait_ms > 0)
        DoNothing(wait_ms);
    return 1;
}

int PseudoButtonRelease(const char* text)
{
    unsigned int button = 0;
    int state = 0;
    int owned = 0;
    if (text == nullptr || std::sscanf(text, "%x %d %d", &button, &state, &owned) < 2)
        return 1;
    if (sendMoveActive == 1 || PortClosed())
        return 1;
    const unsigned char command[2] = {static_cast<unsigned char>(button),
                                      static_cast<unsigned char>(state)};
    WriteBlock(command, 2);
    return 0;
}

int StitchOn()
{
    if (PortClosed())
        return 0;
    if (robotIsStitching == 1)
        return 1;
    robotIsStitching = 1;
    if (needleUpMethod == MACHINE_TYPE_SERIAL) {
        SendCommand(ControllerCommand::StitchOn);
    } else if (needleUpMethod == MACHINE_TYPE_AR18) {
        // The Arlen 18 stitches for as long as its regulator button is held.
        PseudoButtonPress(ControllerCommand::ButtonStitchReg, BUTTON_PRESSED, BUTTON_RELEASED, 0, 0);
        ConsoleWrite("Stitching On AR18\n");
    } else {
        PseudoButtonPress(ControllerCommand::ButtonStitchReg, BUTTON_PRESSED, BUTTON_RELEASED,
                          Press_ms(stitchRegPress), Ms(stitchRegTime));
        ConsoleWrite("Stitching On\n");
    }
    return 1;
}

int StitchOff()
{
    if (PortClosed())
        return 0;
    if (robotIsStitching == 0)
        return 1;
    robotIsStitching = 0;
    if (needleUpMethod == MACHINE_TYPE_SERIAL) {
        SendCommand(ControllerCommand::StitchOff);
        ConsoleWrite("Stitching Off\n");
    } else if (needleUpMethod == MACHINE_TYPE_AR18) {
        PseudoButtonPress(ControllerCommand::ButtonStitchReg, BUTTON_RELEASED, BUTTON_RELEASED, 0, 0);
        // The needle coasts to a stop after the button lets go.
        ConsoleWrite("Wait for waitTime\n");
        DoNothing(Ms(needleUpTime));
        ConsoleWrite("Stitching Off 18\n");
    } else {
        PseudoButtonPress(ControllerCommand::ButtonStitchReg, BUTTON_PRESSED, BUTTON_RELEASED,
                          Press_ms(stitchRegPress), 0);
        ConsoleWrite("Stitching Off\n");
    }
    return 1;
}

int NeedleUp()
{
    if (PortClosed())
        return 1;
    if (needleUpMethod == MACHINE_TYPE_SERIAL) {
        SettleLine();
        SendCommand(ControllerCommand::NeedleUp);
        WaitForNeedle();
        DoNothing(50);
    } else if (needleUpMethod == MACHINE_TYPE_AR18) {
        ConsoleWrite("No needle up on AR18\n");
    } else {
        PseudoButtonPress(ControllerCommand::ButtonNeedleUp, BUTTON_PRESSED, BUTTON_RELEASED,
                          Press_ms(needleUpPress), 0);
        ConsoleWrite("Needle Up\n");
        PauseForNeedle();
    }
    return 1;
}

int WaitForNeedle()
{
    if (PortClosed())
        return 0;
    ConsoleWrite("WFN\n");
    const long deadline = Monotonic_ms() + 5000;
    for (long left = 5000; left > 0; left = deadline - Monotonic_ms()) {
        UiRunPendingEvents();
        unsigned char reply = 0;
        // The last read is cut to what is left, so the whole wait never passes 5 s.
        if (GetChar(static_cast<int>(std::min<long>(500, left)), &reply, 0) != SERIAL_OK) {
            ConsoleWrite("WFN: GetChar() timed out\n");
            continue;
        }
        if (reply == NEEDLE_IS_UP) {
            ConsoleWrite("WFN return true\n");
            return 1;
        }
        if (reply == NEEDLE_NOT_UP) {
            ConsoleWrite("WFN return false\n");
            return 0;
        }
        ConsolePrintf("WFN returned something weird: 0X%2.2X\n", reply);
    }
    ConsoleWrite("WFN End\n");
    return 0;
}

int PauseForNeedle()
{
    ConsoleWrite("PFN\n");
    const int wait_ms = Ms(needleUpTime);
    if (needleUpConfirm == 0) {
        DoNothing(wait_ms);
        ConsoleWrite("PFN End\n");
        return 1;
    }
    if (PortClosed())
        return -1;

    // The needle counts as up only after it has been seen down: a needle that was still
    // up when the press began has not yet made its stitch.
    const long start = Monotonic_ms();
    const long deadline = start + wait_ms;
    bool seenDown = false;
    for (long left = wait_ms; left > 0; left = deadline - Monotonic_ms()) {
        if (sendMoveActive != 1) {
            SettleLine();
            SendCommand(ControllerCommand::NeedlePoll);
            unsigned char reply = 0;
            if (GetChar(static_cast<int>(std::min<long>(50, left)), &reply, 1) == SERIAL_OK) {
                if (reply > 1)
                    MarkLineOutOfStep();
                if (reply == 0) {
                    seenDown = true;
                } else if (reply == 1 && seenDown) {
                    ConsolePrintf("PFN Needle Up Received: 0x%X after %ld ms\n", reply,
                                  Monotonic_ms() - start);
                    return 1;
                }
            }
        }
        SleepUntilAtMost(deadline, 10);
    }
    ConsolePrintf("PFN Needle Up: Timeout after %0.0f msec\n", static_cast<double>(needleUpTime));
    return 0;
}
