#include <gtest/gtest.h>

#include "base/system_path.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

TEST(SystemPath, PrefixesAbsolutePathsWithTheSysrootOnly)
{
    TempDir dir;
    EXPECT_EQ(SystemPath("/proc/version"), dir.path() + "/proc/version");
    EXPECT_EQ(SystemPath("./Layout/a.qlf"), "./Layout/a.qlf");
    unsetenv("CORVAN_SYSROOT");
    EXPECT_EQ(SystemPath("/media/usb/"), "/media/usb/");
}

TEST(UiSeam, ScriptedAnswersAndAnsweringFallback)
{
    {
        ScriptedUi ui;
        ui.Expect("PATTERN BOX IS EMPTY", RESPONSE_CLOSE);
        EXPECT_EQ(UiShowMessage(MSG_ERROR, BUTTONS_CLOSE, "PATTERN BOX IS EMPTY"), RESPONSE_CLOSE);
    }
    // Nothing installed: the logic gets the affirmative answer.
    EXPECT_EQ(UiShowMessage(MSG_QUESTION, BUTTONS_YES_NO, "SURE?"), RESPONSE_YES);
    EXPECT_EQ(UiShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "SURE?"), RESPONSE_OK);
}
