#pragma once
// The machine's tuning: 26 numbered values kept in ./defaults.mrv, plus a few derived values.
// They are plain globals, the single source of truth while the program runs; every setup
// control that changes one rewrites its record at once.

// Records of the settings file, by number.
enum SettingsRecord {
    REC_STITCH_REP = 0, REC_TOUT = 1, REC_STITCH_LEN = 2, REC_SPEED = 3,
    REC_XKP = 4, REC_XKI = 5, REC_YKP = 6, REC_YKI = 7, REC_XKD = 8, REC_YKD = 9, REC_ERR = 10,
    REC_X_MARGIN = 11, REC_Y_MARGIN = 12, REC_JUMP_STITCH = 13, REC_ACCELERATION = 14,
    REC_CURVATURE = 15, REC_LEAD_LINE_SPEED = 16, REC_MOVE_INCREMENT = 17,
    REC_NEEDLE_UP_METHOD = 18, REC_NEEDLE_UP_CONFIRM = 19, REC_NEEDLE_UP_PRESS = 20,
    REC_NEEDLE_UP_TIME = 21, REC_STITCH_REG_PRESS = 22, REC_STITCH_REG_TIME = 23,
    REC_STITCH_BUTTONS_ON = 24, REC_SHOW_ADVANCED_FEATURES = 25,
    SETTINGS_RECORD_COUNT = 26
};

extern int stitchRep;
extern int TOut;
extern int stitchLen;
extern int speed;
extern int XKp, XKi, YKp, YKi, XKd, YKd;
extern int Err;
extern float xMargin, yMargin;
extern float jumpStitch;
extern float acceleration;
extern float curvature;
extern int leadLineSpeed;
extern float moveIncrement;
extern int needleUpMethod;
extern int needleUpConfirm;
extern float needleUpPress, needleUpTime;
extern float stitchRegPress, stitchRegTime;
extern int stitchButtonsOn;
extern int showAdvancedFeatures;

// Derived or kept outside the file.
extern float maxSpeed;
extern int minimumSpeed;
extern float minSpeed;
extern float slow;

// Name of the settings file, relative to the working folder.
extern const char* const kSettingsFile;  // "./defaults.mrv"

int ReadDefaultInt(int record, int* out);
int ReadDefaultFloat(int record, float* out);
int WriteDefaultInt(int record, int value);
int WriteDefaultFloat(int record, float value);
