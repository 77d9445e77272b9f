// "Update Robot" and "System Info" with mc1sim as the controller and a fake stick in a
// private sysroot.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/file_crc.h"
#include "app/software_update.h"
#include "base/process_run.h"
#include "base/settings.h"
#include "machine/serial.h"
#include "support/hex_records.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

namespace {

struct UpdateSimTest : ::testing::Test {
    void SetUp() override
    {
        processHooks.exitProgram = [this](int status) { exits.push_back(status); };
        needleUpMethod = 0;
        ASSERT_TRUE(sim.ok()) << sim.problem();
        ASSERT_GE(OpenPort(), 0);
        testing::internal::CaptureStdout();
    }
    void TearDown() override
    {
        const std::string out = testing::internal::GetCapturedStdout();
        if (HasFailure()) std::fputs(out.c_str(), stderr);
        ResetProcessHooks();
    }
    std::string OnStick(const std::string& name, const std::string& bytes, const std::string& fields)
    {
        dir.Write("media/usb/" + name, bytes);
        dir.Write(CrcFilePath("media/usb/" + name),
                  std::to_string(CrcAsSigned(BufferCRC(bytes.data(), bytes.size()))) + " " + fields);
        return dir / ("media/usb/" + name);
    }
    TempDir dir;
    ScriptedUi ui;
    SimController sim;
    std::vector<int> exits;
};

}  // namespace

TEST_F(UpdateSimTest, RobotFirmwareReachesTheLoaderAndARefusingLoaderIsReported)
{
    // Program block 2 (address units 0x80...), bytes in the file's order.
    std::string data;
    for (int i = 0; i < 16; ++i) data += Bytes({0x10 + i, 0x20 + i, 0x30 + i, 0});
    const std::string hex = HexDataAt(0x100, data) + HexEnd();
    const std::string path = OnStick("mc1.hex", hex, "2 1.31");
    OnStick("program.hex", hex, "1 1.31");

    ui.Choose("").Expect("NO FILE SELECTED.  ABORTING PROCEDURE.", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot(), 0);
    ui.Choose(dir / "media/usb/program.hex").Expect("THE SELECTED FILE IS NOT VALID", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot(), 0);
    ui.Choose(path).Expect("UPDATE ROBOT WITH FILE: " + path + "?", RESPONSE_NO);
    EXPECT_EQ(UpdateRobot(), 0);

    ui.Choose(path)
        .Expect("UPDATE ROBOT WITH FILE: " + path + "?", RESPONSE_YES)
        .Expect("SEND FILE SUCCESSFUL\nRESTARTING PROGRAM", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot(), 1);
    EXPECT_EQ(exits, std::vector<int>{0});
    sim.NewJournal();
    const std::string image = sim.Control("image");
    std::string want;
    for (int i = 0; i < 16; ++i) {
        char b[8];
        std::snprintf(b, sizeof b, "%02x%02x%02x", 0x10 + i, 0x20 + i, 0x30 + i);
        want += b;
    }
    EXPECT_NE(image.find("\"0x000080\":\"" + want), std::string::npos) << image;

    EXPECT_EQ(sim.Control("loader-nak 1000000"), "ok");
    ui.Choose(path).ExpectContaining("UPDATE ROBOT", RESPONSE_YES).Expect("SEND FILE FAILED! \nError:4", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot(), 0);
    EXPECT_EQ(exits, std::vector<int>{0});
}

TEST_F(UpdateSimTest, SystemInfoNamesKernelAndFirmwareVersions)
{
    dir.Write("proc/version", "Linux version 2.6.29.6_b (gcc 4.3) #1 PREEMPT\n");
    const std::string head = "Auto-Quilting Software\nSoftware Version: 3.06\nOS: ";
    EXPECT_EQ(SystemInfoText(), head + "Wexley-b\nMC Firmware: 1.30\nSC Firmware: 1.3");
    dir.Write("proc/version", "Linux version 2.6.18.2_a\n");
    for (const char* v : {"1.23", "1.305"}) {
        ASSERT_EQ(sim.Control(std::string("version motor ") + v), "ok");
        EXPECT_EQ(SystemInfoText(), head + "Corvan-a\nMC Firmware: " + v + "\nSC Firmware: 1.3");
    }
    dir.Write("proc/version", "Linux version 3.10.1_pi\n");
    needleUpMethod = 3;
    EXPECT_EQ(SystemInfoText(), head + "3.10.1-pi\nMC Firmware: 1.305\nSC Firmware: Calloway");
    needleUpMethod = 0;
    ASSERT_EQ(unlink((dir / "proc/version").c_str()), 0);
    ASSERT_EQ(sim.Control("silent on"), "ok");
    EXPECT_EQ(SystemInfoText(), head + "######\nMC Firmware: N.C.\nSC Firmware: N.C.");
}
