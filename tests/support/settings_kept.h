#pragma once
// Every settings global as it was, put back when the scope ends: a test that loads a settings
// file of absurd values, or the factory defaults, leaves no later test in the same process
// stitching with them.
#include "base/settings.h"
#include "support/restore_on_exit.h"

class SettingsKept {
    RestoreOnExit<int> stitchRep_{stitchRep}, tOut_{TOut}, stitchLen_{stitchLen}, speed_{speed},
        xKp_{XKp}, xKi_{XKi}, yKp_{YKp}, yKi_{YKi}, xKd_{XKd}, yKd_{YKd}, err_{Err},
        leadLineSpeed_{leadLineSpeed}, needleUpMethod_{needleUpMethod},
        needleUpConfirm_{needleUpConfirm}, stitchButtonsOn_{stitchButtonsOn},
        showAdvancedFeatures_{showAdvancedFeatures}, minimumSpeed_{minimumSpeed};
    RestoreOnExit<float> xMargin_{xMargin}, yMargin_{yMargin}, jumpStitch_{jumpStitch},
        acceleration_{acceleration}, curvature_{curvature}, moveIncrement_{moveIncrement},
        needleUpPress_{needleUpPress}, needleUpTime_{needleUpTime},
        stitchRegPress_{stitchRegPress}, stitchRegTime_{stitchRegTime}, maxSpeed_{maxSpeed},
        minSpeed_{minSpeed}, slow_{slow};
};
