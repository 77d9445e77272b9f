// The camera against an in-process driver: picture layouts and strides, the sizes and
// controls it sets up, and what a missing, silent, odd or unplugged device leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/interface.h"
#include "camera/camera.h"
#include "camera/camera_control.h"
#include "camera/fake_video.h"
#include "camera/video_ops.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// The text contains the part.
testing::AssertionResult Says(const std::string& text, const std::string& part)
{
    if (text.find(part) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\"" << part << "\" not in: " << text;
}

struct Pixel {
    int r, g, b;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

Pixel At(GdkPixbuf* p, int x, int y)
{
    const guchar* q = gdk_pixbuf_get_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * 3;
    return {q[0], q[1], q[2]};
}

// A w x h picture: red-ish left half, a blue right half, the row number in green.
std::vector<uint8_t> Scene(int w, int h)
{
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            p[0] = x < w / 2 ? 200 : 10;
            p[1] = uint8_t(y);
            p[2] = x < w / 2 ? 20 : 230;
        }
    return rgb;
}

class CameraTest : public testing::Test {
protected:
    void SetUp() override { fake = &InstallFakeVideo(); }
    void TearDown() override
    {
        interface_ = Interface();
        ResetVideoOps();
    }
    // Set up through camera_main's steps with the scene as every frame.
    CameraPtr Init(PixbufPtr* picture)
    {
        // Without a frame of its own the driver gives the scene in the format it answers.
        CameraPtr cam(new Camera());
        cam->device = FakeVideoDriver::kDevice;
        cam->sizeMode = 2;
        if (camera_open_dev(cam.get()) != 0 || camera_cap(cam.get()) != 1 || set_win_info(cam.get()) != 1)
            return nullptr;
        if (fake->frame.empty())
            fake->frame = LayOutFrame(fake->format, Scene(int(fake->format.width), int(fake->format.height)));
        get_pic_info(cam.get());
        if (set_buffer(cam.get()) != 1)
            return nullptr;
        GdkPixbuf* p = get_image(cam.get());
        CloseCamera(cam.get());
        if (picture != nullptr)
            picture->reset(p);
        else if (p != nullptr)
            g_object_unref(p);
        return cam;
    }
    FakeVideoDriver* fake = nullptr;
};

TEST_F(CameraTest, PicturesOfEveryLayoutComeOutAsRgbFollowingTheRowStride)
{
    for (uint32_t fourcc : {V4L2_PIX_FMT_RGB24, V4L2_PIX_FMT_BGR24}) {
        for (int extra : {0, 7, 320 * 3}) {  // packed, padded, 32-bit-wide rows
            SCOPED_TRACE(FourccName(fourcc) + " stride extra " + std::to_string(extra));
            fake = &InstallFakeVideo();
            fake->formats = {V4L2_PIX_FMT_MJPEG, fourcc};
            fake->strideExtra = extra;
            PixbufPtr picture;
            CameraPtr cam = Init(&picture);
            ASSERT_TRUE(cam && picture);
            EXPECT_EQ(cam->pixelFormat, fourcc);
            ASSERT_EQ(gdk_pixbuf_get_width(picture.get()), 320);
            EXPECT_EQ(gdk_pixbuf_get_rowstride(picture.get()), 320 * 3);
            EXPECT_FALSE(gdk_pixbuf_get_has_alpha(picture.get()));
            EXPECT_EQ(At(picture.get(), 0, 0), (Pixel{200, 0, 20}));
            EXPECT_EQ(At(picture.get(), 319, 239), (Pixel{10, 239, 230}));
            EXPECT_EQ(At(picture.get(), 159, 100), (Pixel{200, 100, 20}));
        }
    }
    // YUYV, two pixels a pair, studio range: white, black, red and a grey.
    fake = &InstallFakeVideo();
    fake->formats = {V4L2_PIX_FMT_YUYV};
    fake->strideExtra = 4;
    fake->sizes = {{16, 4}, {8, 2}};  // half the largest: 8 x 2
    fake->frame = {235, 128, 16, 128, 81, 90, 81, 240, 16, 128, 16, 128, 16, 128, 16, 128,
                   0xEE, 0xEE, 0xEE, 0xEE,  // padding after row 0; row 1 needs none
                   126, 128, 126, 128, 16, 128, 16, 128, 16, 128, 16, 128, 16, 128, 16, 128};
    PixbufPtr picture;
    CameraPtr cam = Init(&picture);
    ASSERT_TRUE(cam && picture);
    EXPECT_EQ(cam->bytesPerPixel, 2);
    EXPECT_EQ(At(picture.get(), 0, 0), (Pixel{255, 255, 255}));
    EXPECT_EQ(At(picture.get(), 1, 0), (Pixel{0, 0, 0}));
    EXPECT_EQ(At(picture.get(), 2, 0), (Pixel{255, 0, 0}));
    EXPECT_EQ(At(picture.get(), 0, 1), (Pixel{128, 128, 128}));
    EXPECT_EQ(At(picture.get(), 7, 1), (Pixel{0, 0, 0}));
}

TEST_F(CameraTest, SizesAndPictureSettingsFollowTheDriver)
{
    const int expected[3][2] = {{640, 480}, {160, 120}, {320, 240}};
    for (int mode = 0; mode < 3; ++mode) {
        fake = &InstallFakeVideo();
        Camera cam;
        cam.device = FakeVideoDriver::kDevice;
        cam.sizeMode = mode;
        ASSERT_EQ(camera_open_dev(&cam), 0);
        ASSERT_EQ(camera_cap(&cam), 1);
        EXPECT_EQ(cam.width, expected[mode][0]) << "sizeMode " << mode;
        EXPECT_EQ(cam.height, expected[mode][1]) << "sizeMode " << mode;
    }

    // A size the driver adjusts is the size used; 0..255 controls get 50000 and 15000 of
    // 65535; a control the device lacks is left alone.
    fake = &InstallFakeVideo();
    fake->answerWidth = 352;
    fake->answerHeight = 288;
    fake->controls[V4L2_CID_CONTRAST] = {0, 255, 10};
    fake->controls[V4L2_CID_BRIGHTNESS] = {0, 255, 10};
    fake->controls[V4L2_CID_SATURATION] = {-50, 50, 0};
    fake->frame = std::vector<uint8_t>(352 * 288 * 3, 77);
    PixbufPtr picture;
    CameraPtr cam = InitCamera(&picture, FakeVideoDriver::kDevice);
    ASSERT_TRUE(cam && picture);
    EXPECT_EQ(gdk_pixbuf_get_width(picture.get()), 352);
    EXPECT_EQ(gdk_pixbuf_get_height(picture.get()), 288);
    EXPECT_EQ(fake->controls[V4L2_CID_CONTRAST].value, 194);
    EXPECT_EQ(fake->controls[V4L2_CID_BRIGHTNESS].value, 58);
    EXPECT_EQ(fake->controls[V4L2_CID_SATURATION].value, 0) << "read and written back unchanged";
    EXPECT_EQ(fake->controls.count(V4L2_CID_HUE), 0u);
    EXPECT_EQ(fake->openFds, 0) << "the device is closed after the first picture";
}

TEST_F(CameraTest, DevicesAndDriverAnswersItCannotUseGiveNoPictureAndALine)
{
    struct Case {
        const char* what;
        void (*set)(FakeVideoDriver&);
        const char* line;
    } cases[] = {
        {"missing", [](FakeVideoDriver& f) { f.openErrno = ENOENT; }, "cannot open"},
        {"not a video device", [](FakeVideoDriver& f) { f.notVideo = true; }, "is not a video device"},
        {"MJPEG only", [](FakeVideoDriver& f) { f.formats = {V4L2_PIX_FMT_MJPEG}; }, "offers MJPG"},
        {"32-bit RGB only", [](FakeVideoDriver& f) { f.formats = {V4L2_PIX_FMT_RGB32}; }, "offers RGB4"},
        {"0 x 0", [](FakeVideoDriver& f) { f.sizes = {{0, 0}}; }, "picture of 0 x 0"},
        {"stride below a row", [](FakeVideoDriver& f) { f.bytesPerLine = 320 * 3 - 1; }, "rows of 959 bytes"},
        {"odd YUYV width", [](FakeVideoDriver& f) { f.formats = {V4L2_PIX_FMT_YUYV}; f.answerWidth = 321; }, "rows of"},
        {"short sizeimage", [](FakeVideoDriver& f) { f.sizeImage = 320 * 240 * 3 - 1; }, "frames of 230399 bytes"},
        {"silent", [](FakeVideoDriver& f) { f.silent = true; }, "no picture from /dev/null within 2000 ms"},
        {"short frame", [](FakeVideoDriver& f) { f.bytesUsed = 320 * 240 * 3 - 1; }, "short frame"},
        {"no frame at all", [](FakeVideoDriver& f) { f.bytesUsed = 0; }, "short frame"},
        {"read(), short", [](FakeVideoDriver& f) { f.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE; f.bytesUsed = 100; }, "short frame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake = &InstallFakeVideo();
        fake->frame = std::vector<uint8_t>(320 * 240 * 3, 1);
        c.set(*fake);
        PixbufPtr picture;
        testing::internal::CaptureStdout();
        CameraPtr cam = InitCamera(&picture, FakeVideoDriver::kDevice);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(cam);
        EXPECT_FALSE(picture);
        EXPECT_TRUE(Says(out, c.line));
        EXPECT_EQ(fake->openFds, 0);
        if (fake->silent) {
            EXPECT_EQ(fake->lastPollTimeout, 2000) << "a silent driver is waited for 2 s, no longer";
        }
    }
    ResetVideoOps();
    // The real calls: a folder, and a file that is no video device.
    TempDir dir;
    for (std::pair<std::string, const char*> c : {std::make_pair(dir.path(), "is a folder"),
                                                  std::make_pair(std::string("/dev/null"), "is not a video device"),
                                                  std::make_pair(dir / "nothing", "no camera at")}) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(InitCamera(nullptr, c.first));
        EXPECT_TRUE(Says(testing::internal::GetCapturedStdout(), c.second));
    }
}

TEST_F(CameraTest, SnapshotsVideoAndAGoneDeviceKeepThePicturesTheyHad)
{
    // No camera: the buttons do nothing and Video switches itself off.
    EXPECT_FALSE(StartVideo());
    EXPECT_EQ(interface_.videoRunning, 0);
    EXPECT_EQ(TakeSnapshot(), 0);

    PixbufPtr first;
    interface_.camera = Init(&first);
    ASSERT_TRUE(interface_.camera && first);
    interface_.cameraSnapshot = std::move(first);
    GdkPixbuf* older = g_object_ref(interface_.cameraSnapshot.get());
    const Pixel before = At(older, 0, 0);

    // A later grab with other pixels leaves the older picture as it was.
    fake->frame = LayOutFrame(fake->format, std::vector<uint8_t>(320 * 240 * 3, 90));
    EXPECT_EQ(TakeSnapshot(), 1);
    EXPECT_EQ(At(interface_.cameraSnapshot.get(), 0, 0), (Pixel{90, 90, 90}));
    EXPECT_EQ(At(older, 0, 0), before);
    EXPECT_EQ(fake->openFds, 0);

    // Video: a frame a tick while on; once off, one more frame and the device is closed.
    ASSERT_TRUE(StartVideo());
    EXPECT_EQ(interface_.videoRunning, 1);
    const int frames = fake->frames;
    EXPECT_TRUE(VideoTick());
    EXPECT_TRUE(VideoTick());
    StopVideo();
    EXPECT_FALSE(VideoTick());
    EXPECT_EQ(fake->frames, frames + 3);
    EXPECT_EQ(fake->openFds, 0);

    // Unplugged: the snapshot keeps the picture; a running video switches off.
    GdkPixbuf* kept = interface_.cameraSnapshot.get();
    fake->gone = true;
    testing::internal::CaptureStdout();
    EXPECT_EQ(TakeSnapshot(), 0);
    fake->gone = false;
    ASSERT_TRUE(StartVideo());
    fake->gone = true;
    EXPECT_FALSE(VideoTick());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(Says(out, "stopped answering"));
    EXPECT_EQ(interface_.videoRunning, 0);
    EXPECT_EQ(interface_.cameraSnapshot.get(), kept);
    EXPECT_EQ(fake->openFds, 0);
    g_object_unref(older);
}

}  // namespace
