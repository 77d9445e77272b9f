// Calibration against the dark band, and the PPM still that stands in for a camera.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/interface.h"
#include "base/screen_config.h"
#include "camera/camera.h"
#include "camera/camera_control.h"
#include "camera/find_size.h"
#include "camera/frame.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

constexpr int W = 64, H = 120;

// Light picture (sum 600) with dark rows [from, to) of `dark` dark pixels of colour sum `sum`.
std::vector<uint8_t> Band(int from, int to, int dark = 20, int sum = 381)
{
    std::vector<uint8_t> rgb(size_t(W) * H * 3, 200);
    for (int y = from; y < to && y < H; ++y)
        for (int x = 0; x < dark; ++x) {
            uint8_t* p = &rgb[(size_t(y) * W + x) * 3];
            p[0] = uint8_t(sum / 3 + sum % 3), p[1] = uint8_t(sum / 3), p[2] = uint8_t(sum / 3);
        }
    return rgb;
}

TEST(FindSize, BandEdgesFollowTheDarknessRules)
{
    EXPECT_EQ(FindSize(Band(40, 74).data(), W, H), 34);
    EXPECT_EQ(FindSize(Band(40, 74, 20, 382).data(), W, H), 0) << "sum 382 is light";
    EXPECT_EQ(FindSize(Band(40, 74, 15).data(), W, H), 0) << "15 dark pixels are a light row";
    EXPECT_EQ(FindSize(Band(40, 74, 16).data(), W, H), 34);
    EXPECT_EQ(FindSize(Band(40, 49).data(), W, H), 0) << "9 dark rows are no start";
    EXPECT_EQ(FindSize(Band(40, 50).data(), W, H), 10);
    // Five light rows and three dark ones after the band do not end it yet.
    std::vector<uint8_t> gap = Band(40, 74);
    const std::vector<uint8_t> more = Band(79, 82);
    for (size_t i = size_t(79) * W * 3; i < size_t(82) * W * 3; ++i) gap[i] = more[i];
    EXPECT_EQ(FindSize(gap.data(), W, H), 42);
    EXPECT_EQ(FindSize(Band(0, 0).data(), W, H), 0) << "no band";
    EXPECT_EQ(FindSize(Band(100, H).data(), W, H), 0) << "off the bottom";
    EXPECT_EQ(FindSize(Band(105, H - 5).data(), W, H), 0) << "only 5 light rows after it";

    // The log shows the picture in two levels, a line a row.
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    FindSize(Band(1, 2, 3).data(), W, 2, log);
    std::rewind(log);
    char line[128];
    ASSERT_NE(std::fgets(line, sizeof line, log), nullptr);
    EXPECT_EQ(std::string(line), std::string(W, ' ') + "\n");
    ASSERT_NE(std::fgets(line, sizeof line, log), nullptr);
    EXPECT_EQ(std::string(line), "..." + std::string(W - 3, ' ') + "\n");
    std::fclose(log);
}

TEST(FindSize, CalibrationSetsBothScalesOrSaysTheTargetIsMissing)
{
    TempDir dir;
    interface_ = Interface();
    interface_.camera.reset(new Camera());
    Camera& cam = *interface_.camera;
    cam.width = W, cam.height = H;
    cam.image = Band(0, 0);
    interface_.viewScale = 0.2f;
    view_area_width = 320, view_area_height = 210;
    {
        ScriptedUi ui;
        ui.Expect("CALIBRATION TARGET NOT FOUND", RESPONSE_OK);
        EXPECT_EQ(CalibrateCamera(), 0);
    }
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.2f);
    EXPECT_FLOAT_EQ(interface_.snapshotInchPerPixel, 1.0f);

    cam.image = Band(40, 74);
    EXPECT_EQ(CalibrateCamera(), 1);
    EXPECT_NEAR(interface_.viewScale, 0.1f, 1e-6);
    EXPECT_NEAR(interface_.snapshotInchPerPixel, 0.1f, 1e-6);
    EXPECT_NE(interface_.gridPixbuf, nullptr);
    EXPECT_EQ(dir.Read("piclog").size(), size_t(H) * (W + 1));
    interface_ = Interface();
}

TEST(PpmStill, OnlyCompleteBinaryPicturesAreTaken)
{
    const std::vector<uint8_t> rgb = {1, 2, 3, 4, 5, 6};
    RgbStill still;
    std::string error;
    const std::string good = "P6\n# a comment\n2 1\n255\n" + std::string(rgb.begin(), rgb.end());
    ASSERT_TRUE(ParsePpm(reinterpret_cast<const uint8_t*>(good.data()), good.size(), &still, &error)) << error;
    EXPECT_EQ(still.width, 2);
    EXPECT_EQ(still.height, 1);
    EXPECT_EQ(still.rgb, rgb);
    EXPECT_EQ(PpmBytes(2, 1, rgb.data()), "P6\n2 1\n255\n" + std::string(rgb.begin(), rgb.end()));

    const std::pair<std::string, std::string> bad[] = {
        {good.substr(0, good.size() - 1), "truncated (5 of 6 bytes)"},
        {"P3\n2 1\n255\n1 2 3 4 5 6\n", "PPM kind P3"},
        {"P5\n2 1\n255\n\1\2", "PPM kind P5"},
        {"P6\n2 1\n65535\n" + std::string(12, 'x'), "maxval 65535"},
        {"P6\n0 1\n255\n", "size 0 x 1"},
        {"P6\n100000 1\n255\n", "size 100000 x 1"},
        {"P6\n2 1\n", "header is incomplete"},
        {"GIF89a", "not a PPM"},
    };
    for (const auto& [bytes, why] : bad) {
        RgbStill untouched;
        EXPECT_FALSE(ParsePpm(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &untouched, &error));
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_EQ(untouched.width, 0);
    }

    // At the device path, a still is re-read at every grab; a broken one gives no picture.
    TempDir dir;
    dir.Write("dev/video0", good);
    PixbufPtr picture;
    CameraPtr cam = InitCamera(&picture);
    ASSERT_TRUE(cam && picture);
    EXPECT_EQ(gdk_pixbuf_get_pixels(picture.get())[3], 4);
    dir.Write("dev/video0", "P6\n1 1\n255\n\x09\x08\x07");
    ASSERT_EQ(OpenCamera(cam.get()), 0);
    PixbufPtr second(get_image(cam.get()));
    ASSERT_TRUE(second);
    EXPECT_EQ(gdk_pixbuf_get_width(second.get()), 1);
    dir.Write("dev/video0", "P6\n1 1\n255\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(get_image(cam.get()), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("truncated"), std::string::npos);
    EXPECT_EQ(cam->image, std::vector<uint8_t>({9, 8, 7}));
}

}  // namespace
