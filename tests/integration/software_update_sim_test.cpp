// "Update Robot" and "System Info" with mc1sim as the controller and a fake stick.
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

TEST(UpdateSim, SystemInfoAndRobotFirmwareAgainstTheController)
{
    TempDir dir;
    ScriptedUi ui;
    SimController sim;
    ASSERT_TRUE(sim.ok()) << sim.problem();
    ASSERT_GE(OpenPort(), 0);
    needleUpMethod = 0;
    const std::string head = "Auto-Quilting Software\nSoftware Version: 3.06\nOS: ";
    dir.Write("proc/version", "Linux version 2.6.29.6_b (gcc 4.3) #1 PREEMPT\n");
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
    ASSERT_EQ(sim.Control("silent off"), "ok");

    std::vector<int> exits;
    processHooks.exitProgram = [&](int status) { exits.push_back(status); };
    // Instructions 0x40.. (program block 2), bytes in the file's order.
    std::string data, want;
    for (int i = 0; i < 16; ++i) data += Bytes({0x12, 0x34, 0x56, 0}), want += "123456";
    const std::string hex = HexDataAt(0x100, data) + HexEnd();
    auto onStick = [&](const std::string& stem, const char* code) {
        dir.Write("media/usb/" + stem + ".hex", hex);
        dir.Write("media/usb/" + stem + ".crc",
                  std::to_string(CrcAsSigned(BufferCRC(hex.data(), hex.size()))) + " " + code + " 1.3");
        return dir / ("media/usb/" + stem + ".hex");
    };
    const std::string path = onStick("mc1", "2"), program = onStick("program", "1");
    ui.Choose("").Expect("NO FILE SELECTED.  ABORTING PROCEDURE.", RESPONSE_OK);
    ui.Choose(program).Expect("THE SELECTED FILE IS NOT VALID", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot() + UpdateRobot(), 0);

    ui.Choose(path)
        .Expect("UPDATE ROBOT WITH FILE: " + path + "?", RESPONSE_YES)
        .Expect("SEND FILE SUCCESSFUL\nRESTARTING PROGRAM", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot(), 1);
    EXPECT_EQ(exits, std::vector<int>{0});
    sim.NewJournal();
    const std::string image = sim.Control("image");
    EXPECT_NE(image.find("\"0x000080\":\"" + want), std::string::npos) << image;

    EXPECT_EQ(sim.Control("loader-nak 1000000"), "ok");
    ui.Choose(path).ExpectContaining("UPDATE ROBOT", RESPONSE_YES).Expect("SEND FILE FAILED! \nError:4", RESPONSE_OK);
    EXPECT_EQ(UpdateRobot(), 0);
    EXPECT_EQ(exits, std::vector<int>{0});
    ResetProcessHooks();
}
