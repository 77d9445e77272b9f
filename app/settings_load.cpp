// Loading the settings at start-up.
//
// Three ways in: the controller answers with its constants (records 0 to 10 follow the
// controller, the rest comes from the file), the controller is silent but the file is there
// (every record from the file; records it lacks are filled in on disk for the next start),
// or both are missing (first start: the defaults are set and all 26 records written).
// Whatever the source, the range and not-a-number rules then clamp the running values.

#include "app/settings_load.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "app/machine_start.h"
#include "base/console.h"
#include "base/message_windows.h"
#include "base/settings.h"

namespace {

// One record of the file: where its value lives and the two fixed values it can be given.
struct RecordInfo {
    int* intValue;
    float* floatValue;
    double firstStart;  // default at a first start
    double whenMissing;  // written into a file that lacks the record
};

const RecordInfo kRecords[SETTINGS_RECORD_COUNT] = {
    {&stitchRep, nullptr, 4, 2},
    {&TOut, nullptr, 100, 5},
    {&stitchLen, nullptr, 5, 10},
    {&speed, nullptr, 40, 50},
    {&XKp, nullptr, 30, 30},
    {&XKi, nullptr, 8, 0},
    {&YKp, nullptr, 30, 25},
    {&YKi, nullptr, 8, 0},
    {&XKd, nullptr, 40, 300},
    {&YKd, nullptr, 40, 6},
    {&Err, nullptr, 100, 6},
    {nullptr, &xMargin, 0.0, 0.0},
    {nullptr, &yMargin, 0.0, 0.0},
    {nullptr, &jumpStitch, 0.0, 0.0},
    {nullptr, &acceleration, 40.0, 40.0},
    {nullptr, &curvature, 40.0, 40.0},
    {&leadLineSpeed, nullptr, 60, 80},
    {nullptr, &moveIncrement, 0.1, 0.0625},
    {&needleUpMethod, nullptr, 0, 0},
    {&needleUpConfirm, nullptr, 1, 1},
    {nullptr, &needleUpPress, 100.0, 50.0},
    {nullptr, &needleUpTime, 1000.0, 1000.0},
    {nullptr, &stitchRegPress, 100.0, 50.0},
    {nullptr, &stitchRegTime, 1000.0, 1000.0},
    {&stitchButtonsOn, nullptr, 0, 0},
    {&showAdvancedFeatures, nullptr, 0, 0},
};

void WriteRecord(int record, double value)
{
    const RecordInfo& r = kRecords[record];
    if (r.intValue != nullptr)
        WriteDefaultInt(record, static_cast<int>(value));
    else
        WriteDefaultFloat(record, static_cast<float>(value));
}

void WriteCurrentRecord(int record)
{
    const RecordInfo& r = kRecords[record];
    if (r.intValue != nullptr)
        WriteDefaultInt(record, *r.intValue);
    else
        WriteDefaultFloat(record, *r.floatValue);
}

// Reads one record into its global; false when the file does not hold it.
bool ReadRecord(int record)
{
    const RecordInfo& r = kRecords[record];
    return r.intValue != nullptr ? ReadDefaultInt(record, r.intValue) != 0
                                 : ReadDefaultFloat(record, r.floatValue) != 0;
}

bool SettingsFilePresent() { return access(kSettingsFile, F_OK) == 0; }

void LoadFromFile()
{
    ConsoleWrite("Communications With MC1 Failed. Retrieve From File...");
    // A record the file lacks keeps its starting value for this run; the value written now
    // takes effect at the next start.
    for (int record = 0; record < SETTINGS_RECORD_COUNT; ++record)
        if (!ReadRecord(record))
            WriteRecord(record, kRecords[record].whenMissing);
}

void SetFirstStartDefaults()
{
    ConsoleWrite("Communications With MC1 Failed. Default File Not Present. Setting Defaults...");
    for (int record = 0; record < SETTINGS_RECORD_COUNT; ++record) {
        const RecordInfo& r = kRecords[record];
        if (r.intValue != nullptr)
            *r.intValue = static_cast<int>(r.firstStart);
        else
            *r.floatValue = static_cast<float>(r.firstStart);
    }
    minimumSpeed = 2;
    slow = 5.0f;
    for (int record = 0; record < SETTINGS_RECORD_COUNT; ++record)
        WriteCurrentRecord(record);
}

// Range rules compare as written, so a not-a-number value fails them all and passes
// through untouched to the not-a-number rules.
void Clamp(float& value, float low, float high)
{
    if (value < low)
        value = low;
    else if (value > high)
        value = high;
}

void ResetOutside(float& value, float low, float high, float replacement)
{
    if (value < low || value > high)
        value = replacement;
}

void ResetOutside(int& value, int low, int high, int replacement)
{
    if (value < low || value > high)
        value = replacement;
}

void ReplaceNaN(float& value, float replacement)
{
    if (std::isnan(value))
        value = replacement;
}

}  // namespace

void SetSettingsStartingValues()
{
    Err = XKp = XKi = XKd = YKp = YKi = YKd = speed = stitchLen = TOut = 0;
    xMargin = yMargin = jumpStitch = 0.0f;
    acceleration = curvature = 40.0f;
    leadLineSpeed = 60;
    moveIncrement = 0.1f;
    needleUpMethod = 0;
    needleUpConfirm = 1;
    stitchButtonsOn = showAdvancedFeatures = 0;
    needleUpPress = needleUpTime = stitchRegPress = stitchRegTime = 0.0f;
}

void ApplySettingsRules()
{
    maxSpeed = static_cast<float>(speed);
    minSpeed = static_cast<float>(minimumSpeed * 10.0 / 6.0);

    Clamp(xMargin, -10.0f, 10.0f);
    Clamp(jumpStitch, 0.0f, 200.0f);
    Clamp(acceleration, 5.0f, 100.0f);
    Clamp(curvature, 5.0f, 100.0f);
    if (leadLineSpeed < 10)
        leadLineSpeed = 10;
    else if (leadLineSpeed > 100)
        leadLineSpeed = 100;
    Clamp(moveIncrement, 0.015f, 120.0f);
    ResetOutside(needleUpMethod, 0, 11, 0);
    ResetOutside(needleUpConfirm, 0, 1, 1);
    ResetOutside(needleUpPress, 0.0f, 10000.0f, 100.0f);
    ResetOutside(needleUpTime, 100.0f, 10000.0f, 100.0f);
    ResetOutside(stitchRegPress, 0.0f, 10000.0f, 100.0f);
    ResetOutside(stitchRegTime, 100.0f, 10000.0f, 100.0f);
    ResetOutside(stitchButtonsOn, 0, 1, 0);
    ResetOutside(showAdvancedFeatures, 0, 1, 0);

    ReplaceNaN(xMargin, 0.0f);
    ReplaceNaN(yMargin, 0.0f);
    ReplaceNaN(jumpStitch, 0.0f);
    ReplaceNaN(acceleration, 40.0f);
    ReplaceNaN(curvature, 40.0f);
    ReplaceNaN(moveIncrement, 0.0625f);
    ReplaceNaN(needleUpPress, 100.0f);
    ReplaceNaN(needleUpTime, 1000.0f);
    ReplaceNaN(stitchRegPress, 100.0f);
    ReplaceNaN(stitchRegTime, 1000.0f);
    ReplaceNaN(slow, 5.0f);
}

SettingsSource LoadSettings()
{
    statWindow = nullptr;
    SetSettingsStartingValues();
    SettingsSource source;

    if (LoadSettingsFromController()) {
        source = SettingsSource::Controller;
    } else if (SettingsFilePresent()) {
        LoadFromFile();
        source = SettingsSource::File;
    } else {
        SetFirstStartDefaults();
        source = SettingsSource::Defaults;
    }

    ApplySettingsRules();
    return source;
}
