// "Retrieve Start Point" of the properties dialog against mc1sim: the head pushed by hand to a
// point of the table becomes the placement's start, in the box's frame and in the table's.
#include <gtest/gtest.h>

#include "app/pattern_dialogs.h"
#include "app/popup_actions.h"
#include "base/interface.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

TEST(PropertiesSim, RetrieveTakesTheHeadsPositionAndADroppedReplyKeepsTheEntries)
{
    TempDir dir;
    ScriptedUi ui;
    SimController sim;
    ASSERT_TRUE(sim.ok()) << sim.problem();
    ASSERT_GE(OpenPort(), 0);
    ResetLayout();
    currentBox = CreatePatternBox();
    PatternBox* box = GetPatternBox(currentBox);
    for (auto [x, y] : {std::pair<float, float>{5, 17}, {25, 17}, {25, 5}, {5, 5}})
        AddPatternBoxPoint(box, x, y, 0, 0);
    SetPatternBoxOrigin(box);
    Pattern* p = newPattern();
    for (const char* line : {"pX0Y0", "pX2Y0", "pX2Y1"})
        addData(p, line, 1);
    UpdatePatternSize(p);
    StorePattern(0, p);
    LayoutNode* node = NewPatternLayoutNode(0, -1, currentBox, 3, 4);

    // The quilter frees the head and pushes it to (12.5, 7.25) inches.
    DisableX();
    DisableY();
    ASSERT_TRUE(sim.WaitForState("y_driven", "false"));
    ASSERT_EQ(sim.Control("hand 12500 7250").rfind("ok", 0), 0u);
    PropertiesState state;
    ASSERT_EQ(PropertiesBegin(state, node), 1);
    EXPECT_EQ(PropertiesRetrieve(state, ReadMachinePosition), 1);
    EXPECT_EQ(state.text[PROP_LOCAL_X] + " " + state.text[PROP_LOCAL_Y] + " " +
                  state.text[PROP_ACTUAL_X] + " " + state.text[PROP_ACTUAL_Y],
              "7.500 2.250 12.500 7.250");

    // A position reply lost on the line: the message, and the entries as they were.
    ASSERT_EQ(sim.Control("drop-xy 1"), "ok");
    const auto before = state.text;
    ui.Expect("COULD NOT RETRIEVE POINT", RESPONSE_OK);
    EXPECT_EQ(PropertiesRetrieve(state, ReadMachinePosition), 0);
    EXPECT_EQ(state.text, before);
    ClosePort();
    ResetLayout();
}
