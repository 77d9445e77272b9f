// Point selection by machine position: the start point a head position picks, the buttons
// a tap hits, the cross-hair's pixel, and what opening and closing a dialog leaves behind.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/interface.h"
#include "app/ui_hooks.h"
#include "machine/point_select.h"
#include "machine/serial.h"
#include "machine/stitch_path.h"
#include "support/scripted_ui.h"

namespace {

// A path owned by the test: points (x, y, jump) in thousandths.
struct Path {
    explicit Path(std::vector<std::vector<float>> pts)
    {
        for (auto& p : pts) {
            auto n = std::make_unique<FullPattern_t>();
            n->x = p[0];
            n->y = p[1];
            n->jump = p.size() > 2 ? int(p[2]) : 0;
            if (!nodes.empty()) {
                nodes.back()->next = n.get();
                n->prev = nodes.back().get();
            }
            nodes.push_back(std::move(n));
        }
    }
    FullPattern_t* first() { return nodes.empty() ? nullptr : nodes.front().get(); }
    FullPattern_t* at(size_t i) { return nodes.at(i).get(); }
    std::vector<std::unique_ptr<FullPattern_t>> nodes;
};

}  // namespace

TEST(PointSelect, NearestStartPointSkipsRunEndsAndKeepsTheEarliestOfEquals)
{
    Path path({{0, 0}, {1000, 0, 1}, {1000, 1000}, {2000, 1000}});
    EXPECT_EQ(NearestStartPoint(path.first(), 1000, 100), path.at(2)) << "the run end is skipped";
    EXPECT_EQ(NearestStartPoint(path.first(), 1500, 1000), path.at(2)) << "ties the fourth";
    EXPECT_EQ(NearestStartPoint(path.first(), 1000, 0), path.at(0)) << "ties the third";
    EXPECT_EQ(NearestStartPoint(path.first(), 5000, 5000), path.at(3));
    EXPECT_EQ(NearestStartPoint(path.first(), -40, 3), path.at(0)) << "negative positions count";

    Path firstIsRunEnd({{500, 500, 1}, {900, 500}});
    EXPECT_EQ(NearestStartPoint(firstIsRunEnd.first(), 500, 500), firstIsRunEnd.at(0));
    EXPECT_EQ(NearestStartPoint(nullptr, 0, 0), nullptr);
}

TEST(PointSelect, TapsCountOnlyOnTheirButtonsInTheBottomRow)
{
    // 320 x 200 area, 32-pixel buttons: OK spans x 176..223, Cancel 224..271 below y 168.
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 200, 190, 320, 200, 32), RESPONSE_OK);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 250, 190, 320, 200, 32), RESPONSE_CANCEL);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 300, 190, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_POSITION, 300, 190, 320, 200, 32), RESPONSE_OK);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 200, 168, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_POSITION, 200, 168, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 100, 190, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 130, 190, 320, 200, 32), 0)
        << "left of OK, where the division rounds towards zero";
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 176, 199, 320, 200, 32), RESPONSE_OK);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 175, 199, 320, 200, 32), 0);
}

TEST(PointSelect, CrossHairFollowsTheScaleAndThePan)
{
    EXPECT_EQ(CrossHairPixel(5000, 2500, 0.05f, 10, 20), std::make_pair(110, 70));
    EXPECT_EQ(CrossHairPixel(0, 0, 0.05f, 10, 20), std::make_pair(10, 20));
    EXPECT_EQ(CrossHairPixel(1999, 0, 0.1f, 0, 0), std::make_pair(19, 0)) << "truncated";
}

TEST(PointSelect, ClosedPortIsNoPositionAndTheDialogGivesEverythingBack)
{
    ScriptedUi ui;
    ClosePort();
    EXPECT_FALSE(GetCurrentLocation().has_value()) << "not (0, 0)";

    // The cross-hair on a machine that does not answer sits in the top-left corner.
    interface_.viewScale = 0.02f;
    interface_.panX = 7;
    interface_.panY = 9;
    interface_.measureLine = MeasureLine{1, 2, 3, 4};
    PointDialogSession session = BeginPointDialog();
    CrossHairTick();
    ASSERT_TRUE(interface_.measureLine.has_value());
    EXPECT_EQ(interface_.measureLine->startX, 0);
    EXPECT_EQ(interface_.measureLine->startY, 0);
    interface_.viewScale = 0.5f;
    interface_.panX = 0;
    EndPointDialog(session);
    ASSERT_TRUE(interface_.measureLine.has_value());
    EXPECT_EQ(interface_.measureLine->startX, 1);
    EXPECT_EQ(interface_.measureLine->endY, 4);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.02f);
    EXPECT_EQ(interface_.panX, 7);

    // Without a measuring line before, none after: the cross-hair's line goes with the dialog.
    interface_.measureLine.reset();
    session = BeginPointDialog();
    EXPECT_TRUE(interface_.measureLine.has_value());
    EndPointDialog(session);
    EXPECT_FALSE(interface_.measureLine.has_value());
}

TEST(PointSelect, SetStartChoosesNothingWithoutAPathAfterCancelOrWithoutAPosition)
{
    ScriptedUi ui;
    ClosePort();
    Path path({{0, 0}, {1000, 0}});
    int dialogs = 0;
    auto answer = [&](int response) {
        return [&dialogs, response] {
            ++dialogs;
            return response;
        };
    };
    interface_.stitchList = nullptr;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SelectStartPoint(answer(RESPONSE_OK)), nullptr);
    EXPECT_EQ(dialogs, 0) << "no path, nothing to point at";

    interface_.stitchList = path.first();
    EXPECT_EQ(SelectStartPoint(answer(RESPONSE_CANCEL)), nullptr);
    EXPECT_EQ(SelectStartPoint(answer(RESPONSE_DELETE)), nullptr);
    EXPECT_TRUE(ui.messages.empty());

    // OK with no position: the operator is told, and no point near (0, 0) is made up.
    ui.Expect("COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.", RESPONSE_OK);
    EXPECT_EQ(SelectStartPoint(answer(RESPONSE_OK)), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(dialogs, 3);
    EXPECT_NE(out.find("Return Point is NULL"), std::string::npos) << out;
    interface_.stitchList = nullptr;
}
