#include "app/setup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/console.h"
#include "base/interface.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/system_path.h"
#include "base/ui_hooks.h"
#include "base/atomic_file.h"
#include "base/process_run.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/layout_recovery.h"
#include "patterns/navigation_mask.h"

Floaters floaters;

namespace {

enum class Kind { Int, Float };

// One row per edit code: where the value lives, how it is limited, sent, kept and shown.
struct EditCode {
    char code;
    Kind kind;
    int* intValue;
    float* floatValue;
    bool ranged;
    double low, high;
    int (*sendInt)(int);
    int (*sendFloat)(float);
    int record;        // -1: the file does not keep it
    const char* format;  // for floats; integers show as "%d"
};

const EditCode kCodes[] = {
    {'0', Kind::Int, &XKp, nullptr, false, 0, 0, SetXKp, nullptr, -1, nullptr},
    {'1', Kind::Int, &YKp, nullptr, false, 0, 0, SetYKp, nullptr, -1, nullptr},
    {'2', Kind::Int, &TOut, nullptr, false, 0, 0, SetTOut, nullptr, -1, nullptr},
    {'3', Kind::Int, &Err, nullptr, false, 0, 0, SetMaxErr, nullptr, -1, nullptr},
    {'4', Kind::Int, &XKi, nullptr, false, 0, 0, SetXKi, nullptr, -1, nullptr},
    {'5', Kind::Int, &YKi, nullptr, false, 0, 0, SetYKi, nullptr, -1, nullptr},
    {'6', Kind::Int, &XKd, nullptr, false, 0, 0, SetXKd, nullptr, -1, nullptr},
    {'7', Kind::Int, &YKd, nullptr, false, 0, 0, SetYKd, nullptr, -1, nullptr},
    {'8', Kind::Int, &stitchLen, nullptr, true, 5, 20, SetStitches, nullptr, REC_STITCH_LEN, nullptr},
    {'9', Kind::Int, &speed, nullptr, true, 10, 100, SetSpeed, nullptr, REC_SPEED, nullptr},
    {'a', Kind::Int, &minimumSpeed, nullptr, true, 1, 10, SetMinimumSpeed, nullptr, -1, nullptr},
    {'b', Kind::Int, &stitchRep, nullptr, true, 0, 10, SetLockStitch, nullptr, REC_STITCH_REP, nullptr},
    {'c', Kind::Float, nullptr, &slow, true, 1, 10, nullptr, SetSlow, -1, "%0.3f"},
    {'d', Kind::Float, nullptr, &xMargin, true, -10, 10, nullptr, nullptr, REC_X_MARGIN, "%0.3f"},
    {'e', Kind::Float, nullptr, &yMargin, false, 0, 0, nullptr, nullptr, REC_Y_MARGIN, "%0.3f"},
    {'f', Kind::Float, nullptr, &jumpStitch, false, 0, 0, nullptr, nullptr, REC_JUMP_STITCH, "%0.3f"},
    {'g', Kind::Float, nullptr, &acceleration, true, 5, 100, nullptr, nullptr, REC_ACCELERATION, "%0.0f"},
    {'h', Kind::Float, nullptr, &curvature, true, 5, 100, nullptr, nullptr, REC_CURVATURE, "%0.0f"},
    {'i', Kind::Int, &leadLineSpeed, nullptr, true, 10, 100, nullptr, nullptr, REC_LEAD_LINE_SPEED, nullptr},
    {'j', Kind::Float, nullptr, &moveIncrement, true, 0.015, 120, nullptr, nullptr, REC_MOVE_INCREMENT, "%0.3f"},
    {'k', Kind::Float, nullptr, &needleUpPress, true, 3, 1000, nullptr, nullptr, REC_NEEDLE_UP_PRESS, "%0.0f"},
    {'l', Kind::Float, nullptr, &needleUpTime, true, 0, 10000, nullptr, nullptr, REC_NEEDLE_UP_TIME, "%0.0f"},
    {'m', Kind::Float, nullptr, &stitchRegPress, true, 3, 1000, nullptr, nullptr, REC_STITCH_REG_PRESS, "%0.0f"},
    {'n', Kind::Float, nullptr, &stitchRegTime, true, 0, 10000, nullptr, nullptr, REC_STITCH_REG_TIME, "%0.0f"},
};

const EditCode* FindCode(char code)
{
    for (const EditCode& c : kCodes) {
        if (c.code == code)
            return &c;
    }
    return nullptr;
}

// Clamps to the code's range, then to what the global's type can hold.
double Limit(const EditCode& c, double v)
{
    if (c.ranged)
        v = std::min(std::max(v, c.low), c.high);
    if (c.kind == Kind::Int)
        return std::trunc(std::min(std::max(v, double(std::numeric_limits<int>::min())),
                                   double(std::numeric_limits<int>::max())));
    const double most = std::numeric_limits<float>::max();
    return std::min(std::max(v, -most), most);
}

const MachineTypeRow kMachineTypes[kMachineTypeCount] = {
    {"Default", false, 1, 0, 0, 0, 0, "Machine Selected: Arlen Old Style with Needle Up"},
    {"Arlen", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Velmont", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Calloway", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Dessin", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Ferrow", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Gandry", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Oxley", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Pemberly", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Halvard", false, 0, 100, 1000, 100, 10, "Machine Selected: General"},
    {"Custom", true, 0, 0, 0, 0, 0, "Machine Selected: Custom"},
    {"Arlen 18", false, 0, 100, 100, 100, 100, "Machine Selected: Arlen 18"},
};

constexpr char kAccessWord[] = "tarvel";
constexpr char kCalibrationFile[] = "/media/mmc0/calibration/pointercal";

void PutWord(std::string& out, uint32_t w)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((w >> (8 * i)) & 0xFF);
}

void PutInt(std::string& out, int v) { PutWord(out, static_cast<uint32_t>(v)); }

void PutFloat(std::string& out, float v)
{
    uint32_t w;
    std::memcpy(&w, &v, sizeof w);
    PutWord(out, w);
}

// Every global the factory reset sets, so that a failed reset can put them back.
struct SettingsSnapshot {
    int stitchRep, TOut, stitchLen, speed, XKp, XKi, YKp, YKi, XKd, YKd, Err;
    float xMargin, yMargin, jumpStitch, acceleration, curvature;
    int leadLineSpeed;
    float moveIncrement;
    int needleUpMethod, needleUpConfirm;
    float needleUpPress, needleUpTime, stitchRegPress, stitchRegTime;
    int stitchButtonsOn, showAdvancedFeatures;
    float maxSpeed;
    int minimumSpeed;
    float minSpeed, slow;
};

SettingsSnapshot TakeSnapshot()
{
    return {stitchRep,     TOut,         stitchLen,      speed,          XKp,
            XKi,           YKp,          YKi,            XKd,            YKd,
            Err,           xMargin,      yMargin,        jumpStitch,     acceleration,
            curvature,     leadLineSpeed, moveIncrement, needleUpMethod, needleUpConfirm,
            needleUpPress, needleUpTime, stitchRegPress, stitchRegTime,  stitchButtonsOn,
            showAdvancedFeatures, maxSpeed, minimumSpeed, minSpeed,     slow};
}

void RestoreSnapshot(const SettingsSnapshot& s)
{
    stitchRep = s.stitchRep; TOut = s.TOut; stitchLen = s.stitchLen; speed = s.speed;
    XKp = s.XKp; XKi = s.XKi; YKp = s.YKp; YKi = s.YKi; XKd = s.XKd; YKd = s.YKd; Err = s.Err;
    xMargin = s.xMargin; yMargin = s.yMargin; jumpStitch = s.jumpStitch;
    acceleration = s.acceleration; curvature = s.curvature; leadLineSpeed = s.leadLineSpeed;
    moveIncrement = s.moveIncrement; needleUpMethod = s.needleUpMethod;
    needleUpConfirm = s.needleUpConfirm; needleUpPress = s.needleUpPress;
    needleUpTime = s.needleUpTime; stitchRegPress = s.stitchRegPress;
    stitchRegTime = s.stitchRegTime; stitchButtonsOn = s.stitchButtonsOn;
    showAdvancedFeatures = s.showAdvancedFeatures; maxSpeed = s.maxSpeed;
    minimumSpeed = s.minimumSpeed; minSpeed = s.minSpeed; slow = s.slow;
}

}  // namespace

// --- Edit codes --------------------------------------------------------------------------------

bool IsEditCode(char code) { return FindCode(code) != nullptr; }

std::string EditCodeText(char code, double value)
{
    const EditCode* c = FindCode(code);
    if (c == nullptr)
        return "";
    char text[64];
    if (c->kind == Kind::Int)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(Limit(*c, value)));
    else
        std::snprintf(text, sizeof text, c->format, value);
    return text;
}

double EditCodeValue(char code)
{
    const EditCode* c = FindCode(code);
    if (c == nullptr)
        return 0;
    return c->kind == Kind::Int ? double(*c->intValue) : double(*c->floatValue);
}

EditResult ApplyEditCode(char code, double value)
{
    EditResult r;
    const EditCode* c = FindCode(code);
    if (c == nullptr)
        return r;
    if (!std::isfinite(value)) {
        r.value = EditCodeValue(code);
        r.text = EditCodeText(code, r.value);
        return r;
    }
    if (code == '9')  // the speed goes in tens
        value = std::trunc(value / 10.0 + 0.5) * 10.0;
    const double v = Limit(*c, value);
    if (c->kind == Kind::Int) {
        const int iv = static_cast<int>(v);
        *c->intValue = iv;
        if (code == '9')
            maxSpeed = static_cast<float>(iv);
        if (code == 'a')
            minSpeed = static_cast<float>(iv) * 10.0f / 6.0f;
        if (c->sendInt != nullptr)
            c->sendInt(iv);
        if (c->record >= 0)
            WriteDefaultInt(c->record, iv);
        r.value = iv;
    } else {
        const float fv = static_cast<float>(v);
        *c->floatValue = fv;
        if (c->sendFloat != nullptr)
            c->sendFloat(fv);
        if (c->record >= 0)
            WriteDefaultFloat(c->record, fv);
        r.value = fv;
    }
    r.applied = true;
    r.text = EditCodeText(code, r.value);
    return r;
}

// --- Machine types -----------------------------------------------------------------------------

const MachineTypeRow& MachineTypeFor(int index)
{
    return index >= 1 && index < kMachineTypeCount ? kMachineTypes[index] : kMachineTypes[0];
}

std::string MachineTypeQuestion(int index)
{
    return std::string("DO YOU WANT TO SET THE MACHINE TYPE TO:\n\n") + MachineTypeFor(index).label +
           " ?";
}

bool ChooseMachineType(int index)
{
    // Closing the window is not a yes.
    if (UiShowMessage(MSG_WARNING, BUTTONS_OK_CANCEL, MachineTypeQuestion(index)) != RESPONSE_OK)
        return false;
    ApplyMachineType(index);
    return true;
}

void ApplyMachineType(int index)
{
    needleUpMethod = index;
    WriteDefaultInt(REC_NEEDLE_UP_METHOD, needleUpMethod);
    const MachineTypeRow& row = MachineTypeFor(index);
    if (!row.keepsTimings) {
        needleUpConfirm = row.confirm;
        needleUpPress = row.needleUpPress;
        needleUpTime = row.needleUpTime;
        stitchRegPress = row.stitchRegPress;
        stitchRegTime = row.stitchRegTime;
    }
    ConsolePrintf("%s\n", row.consoleText);
    WriteDefaultInt(REC_NEEDLE_UP_CONFIRM, needleUpConfirm);
    WriteDefaultFloat(REC_NEEDLE_UP_PRESS, needleUpPress);
    WriteDefaultFloat(REC_NEEDLE_UP_TIME, needleUpTime);
    WriteDefaultFloat(REC_STITCH_REG_PRESS, stitchRegPress);
    WriteDefaultFloat(REC_STITCH_REG_TIME, stitchRegTime);
}

// --- Toggles -----------------------------------------------------------------------------------

void SetNeedleUpConfirmValue(bool on)
{
    needleUpConfirm = on ? 1 : 0;
    WriteDefaultInt(REC_NEEDLE_UP_CONFIRM, needleUpConfirm);
}

bool ChangeStitchButtons(bool on)
{
    const char* question =
        on ? "THIS WILL ADD STITCHING AND NEEDLE UP BUTTONS TO THE MAIN TOOLBAR.\n\n DO YOU WANT "
             "TO CONTINUE?\n"
           : "THIS WILL REMOVE THE STITCHING AND NEEDLE UP BUTTONS FROM THE MAIN TOOLBAR.\n\n DO "
             "YOU WANT TO CONTINUE?\n";
    if (UiShowMessage(MSG_QUESTION, BUTTONS_YES_NO, question) != RESPONSE_YES)
        return false;
    stitchButtonsOn = on ? 1 : 0;
    WriteDefaultInt(REC_STITCH_BUTTONS_ON, stitchButtonsOn);
    return true;
}

void ChangeShowAdvancedFeatures(bool on)
{
    showAdvancedFeatures = on ? 1 : 0;
    WriteDefaultInt(REC_SHOW_ADVANCED_FEATURES, showAdvancedFeatures);
    stitchButtonsOn = on ? 1 : 0;
    WriteDefaultInt(REC_STITCH_BUTTONS_ON, stitchButtonsOn);
}

bool AccessWordMatches(const std::string& typed) { return typed == kAccessWord; }

bool AskAccessWord()
{
    std::string text;
    if (UiShowKeyboard(text, "PASSWORD:") != 1)
        return false;
    return AccessWordMatches(text);
}

// --- Factory defaults --------------------------------------------------------------------------

void SetFactoryDefaultValues()
{
    stitchRep = 4;
    TOut = 100;
    stitchLen = 5;
    speed = 40;
    maxSpeed = 40.0f;
    minimumSpeed = 2;
    minSpeed = 3.3333333f;
    slow = 5.0f;
    XKp = 30;
    XKi = 8;
    YKp = 30;
    YKi = 8;
    XKd = 40;
    YKd = 40;
    Err = 100;
    xMargin = yMargin = 0.0f;
    jumpStitch = 0.0f;
    acceleration = 40.0f;
    curvature = 40.0f;
    leadLineSpeed = 60;
    moveIncrement = 0.1f;
    needleUpMethod = 0;
    needleUpConfirm = 1;
    needleUpPress = needleUpTime = stitchRegPress = stitchRegTime = 0.0f;
    stitchButtonsOn = 0;
    showAdvancedFeatures = 0;
}

std::string SettingsFileBytes()
{
    std::string out;
    out.reserve(4 * SETTINGS_RECORD_COUNT);
    for (int v : {stitchRep, TOut, stitchLen, speed, XKp, XKi, YKp, YKi, XKd, YKd, Err})
        PutInt(out, v);
    for (float v : {xMargin, yMargin, jumpStitch, acceleration, curvature})
        PutFloat(out, v);
    PutInt(out, leadLineSpeed);
    PutFloat(out, moveIncrement);
    PutInt(out, needleUpMethod);
    PutInt(out, needleUpConfirm);
    for (float v : {needleUpPress, needleUpTime, stitchRegPress, stitchRegTime})
        PutFloat(out, v);
    PutInt(out, stitchButtonsOn);
    PutInt(out, showAdvancedFeatures);
    return out;
}

bool WriteSettingsFileAtomically()
{
    const std::string bytes = SettingsFileBytes();
    return WriteFileAtomically(kSettingsFile, [&](std::FILE* out) {
        return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    });
}

bool ResetFactoryDefaults()
{
    if (UiShowMessage(MSG_WARNING, BUTTONS_OK_CANCEL,
                      "THIS WILL RESET ALL PARAMETERS TO THE FACTORY DEFAULT SETTINGS.\n\n DO YOU "
                      "WANT TO CONTINUE?\n") != RESPONSE_OK)
        return false;
    const SettingsSnapshot before = TakeSnapshot();
    SetFactoryDefaultValues();
    // The file is written whole before anything else changes: a reset that cannot be kept
    // is not made at all, and a crash midway leaves either the old file or the new one.
    if (!WriteSettingsFileAtomically()) {
        RestoreSnapshot(before);
        UiShowMessage(MSG_ERROR, BUTTONS_OK,
                      "COULD NOT WRITE THE SETTINGS FILE.\nNO PARAMETERS HAVE BEEN CHANGED.");
        return false;
    }
    SendPidConstants();
    SetSpeed(speed);
    SetMinimumSpeed(minimumSpeed);
    SetTOut(TOut);
    SetMaxErr(Err);
    SetStitches(stitchLen);
    SetLockStitch(stitchRep);
    SetSlow(slow);
    return true;
}

// --- Reading the pages -------------------------------------------------------------------------

bool ReadSetupConstants()
{
    floaters = Floaters{};
    SendSetupByte();
    int values[8] = {};
    if (GetConstants(values) != 0)
        return false;
    floaters = Floaters{values[0], values[1], values[2], values[3],
                        values[4], values[5], values[6], values[7]};
    return true;
}

ParameterValues ReadParameterValues()
{
    ParameterValues shown;
    ClearPort();
    usleep(2500);
    int len = 0, spd = 0, minSpd = 0, rep = 0;
    // The setup screen can wait for a slow controller: 500 looks, 1 ms apart.
    if (GetStitchSettings(&len, &spd, &minSpd, &rep, 500, 1000) == 0) {
        stitchLen = shown.stitchLen = len;
        speed = shown.speed = spd;
        minimumSpeed = shown.minimumSpeed = minSpd;
        stitchRep = shown.stitchRep = rep;
        shown.settingsRead = true;
    } else {
        ConsolePrintf("Data Timed Out\n");
    }
    ConsolePrintf("buffcnt: %d\n", SerialBytesWaiting());
    float s = 0.0f;
    if (GetSlow(&s) == 0) {
        slow = shown.slow = s;
        shown.slowRead = true;
        ConsolePrintf("SLOW = %0.3f\n", slow);
    } else {
        ConsolePrintf("SLOW timed out\n");
    }
    ConsolePrintf(" stitchLen = %d\nspeed = %d\nminSpeed = %d\nstitchRep = %d\n", shown.stitchLen,
                  shown.speed, shown.minimumSpeed, shown.stitchRep);
    return shown;
}

// --- Buttons -----------------------------------------------------------------------------------

const char* DirectionLabel(int direction)
{
    return direction == 200 ? "Motor Reversed" : "Motor Forward";
}

int ControllerMotorDirection()
{
    unsigned char dir = 100;
    if (GetMotorDirection(&dir) != 0)
        return 100;
    return dir;
}

int ReverseMotorDirection()
{
    if (UiShowMessage(MSG_INFO, BUTTONS_OK_CANCEL, "REVERSE MOTOR DIRECTION?") != RESPONSE_OK)
        return -1;
    ReverseDirection();
    DoNothing(100);
    const int dir = ControllerMotorDirection();
    interface_.motorDirection = dir;
    ConsolePrintf("dir = 0x%2.2X\n", dir);
    ConsolePrintf("interface->motorDirection = 0x%2.2X\n", interface_.motorDirection);
    UiShowMessage(MSG_INFO, BUTTONS_OK,
                  dir == 200 ? "MOTOR ENCODERS NOW READING IN REVERSE MODE"
                             : "MOTOR ENCODERS NOW READING IN FORWARD MODE");
    return dir;
}

bool ResetCalibration()
{
    if (UiShowMessage(MSG_QUESTION, BUTTONS_YES_NO,
                      "SYSTEM WILL REBOOT TO RESET CALIBRATION.\nCONTINUE?") != RESPONSE_YES)
        return false;
    const std::string path = SystemPath(kCalibrationFile);
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        ConsolePrintf("Could not remove %s: %s\n", path.c_str(), std::strerror(errno));
    SyncFileSystems();
    RebootSystem();
    return true;
}

void ExitKeepingLayout(int status)
{
    // A layout that was never saved would otherwise be lost with the process; the next
    // start loads the recovery layout without a question.
    if (patternLayout != nullptr) {
        mkdir("./Layout", 0777);
        if (WriteLayoutFileAt(kRecoveryLayoutPath, "./Layout/recovery.qlf.part") == 1)
            ConsolePrintf("Layout kept for the next start\n");
    }
    std::fflush(stdout);
    ExitProgram(status);
}

bool RestartProgram()
{
    if (UiShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "DO YOU WANT TO RESTART THE PROGRAM?\n") !=
        RESPONSE_OK)
        return false;
    ExitKeepingLayout(0);
    return true;
}

void menuMainSetup()
{
    UiShowScreen(Screen::Setup);
    SetSensitivity(NavigationMask());
    ReleaseAllUI();
}
