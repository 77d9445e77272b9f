#include "app/machine_start.h"

#include "base/interface.h"
#include "base/settings.h"
#include "machine/controller.h"

int LoadSettingsFromController()
{
    int constants[8] = {};
    if (GetConstants(constants) != 0)
        return 0;
    StoreControllerConstants(constants);

    int length = 0, fastest = 0, slowest = 0, locks = 0;
    if (GetStitchSettings(&length, &fastest, &slowest, &locks) == 0) {
        stitchLen = length;
        speed = fastest;
        minimumSpeed = slowest;
        stitchRep = locks;
    } else {
        speed = 40;
        stitchLen = 5;
        minimumSpeed = 2;
        stitchRep = 4;
    }

    // The file keeps what the controller does not; a missing record keeps its start value.
    ReadDefaultFloat(REC_X_MARGIN, &xMargin);
    ReadDefaultFloat(REC_Y_MARGIN, &yMargin);
    ReadDefaultFloat(REC_JUMP_STITCH, &jumpStitch);
    ReadDefaultFloat(REC_ACCELERATION, &acceleration);
    ReadDefaultFloat(REC_CURVATURE, &curvature);
    ReadDefaultInt(REC_LEAD_LINE_SPEED, &leadLineSpeed);
    ReadDefaultFloat(REC_MOVE_INCREMENT, &moveIncrement);
    ReadDefaultInt(REC_NEEDLE_UP_METHOD, &needleUpMethod);
    ReadDefaultInt(REC_NEEDLE_UP_CONFIRM, &needleUpConfirm);
    ReadDefaultFloat(REC_NEEDLE_UP_PRESS, &needleUpPress);
    ReadDefaultFloat(REC_NEEDLE_UP_TIME, &needleUpTime);
    ReadDefaultFloat(REC_STITCH_REG_PRESS, &stitchRegPress);
    ReadDefaultFloat(REC_STITCH_REG_TIME, &stitchRegTime);
    ReadDefaultInt(REC_STITCH_BUTTONS_ON, &stitchButtonsOn);
    ReadDefaultInt(REC_SHOW_ADVANCED_FEATURES, &showAdvancedFeatures);

    WriteDefaultInt(REC_STITCH_REP, stitchRep);
    WriteDefaultInt(REC_TOUT, TOut);
    WriteDefaultInt(REC_STITCH_LEN, stitchLen);
    WriteDefaultInt(REC_SPEED, speed);
    WriteDefaultInt(REC_XKP, XKp);
    WriteDefaultInt(REC_XKI, XKi);
    WriteDefaultInt(REC_YKP, YKp);
    WriteDefaultInt(REC_YKI, YKi);
    WriteDefaultInt(REC_XKD, XKd);
    WriteDefaultInt(REC_YKD, YKd);
    WriteDefaultInt(REC_ERR, Err);
    return 1;
}

void ReadMotorDirection()
{
    unsigned char direction = 0;
    if (GetMotorDirection(&direction) == 0)
        interface_.motorDirection = direction;
}
