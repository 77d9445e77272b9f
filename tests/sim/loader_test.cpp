// The boot loader: the reset into it, its frames, and the memory image it keeps.
#include "sim_bytes.h"

using namespace simtest;
using mc1sim::MemoryImage;
using mc1sim::Simulator;

namespace {

Bytes Frame(uint8_t cmd, uint32_t address, const Bytes& data = {}) {
    Bytes b{cmd, uint8_t(address), uint8_t(address >> 8), uint8_t(address >> 16)};
    for (uint8_t d : data) b.push_back(d);
    return b;
}

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + 7 * i);
    return b;
}

const Bytes kReset{0xFF, 0xFF, 0xFF, ';'};

}  // namespace

TEST(SimLoader, UploadStoresExactlyTheBlocksSentAndKeepsTheLoaderStart) {
    Simulator sim;
    Talk(sim, MovePacket(500, 0, 100));  // the reset stops the machine
    EXPECT_TRUE(Talk(sim, kReset).empty());
    EXPECT_TRUE(sim.InLoader());
    EXPECT_TRUE(Talk(sim, {34}).empty()) << "the loader does not know the buffer query";
    EXPECT_EQ(Talk(sim, {1, 1, 1, 1}).size(), 96u);

    // Block 0 comes back most significant byte first: the loader's start is a jump.
    Bytes first = Talk(sim, Frame(2, 0));
    ASSERT_EQ(first.size(), 96u);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 6), (Bytes{0x04, 0x7C, 0x00, 0x00, 0x00, 0x01}));

    // Written back in the file's order (least significant first), with new code after it.
    Bytes block0 = Pattern(96, 1);
    Bytes start{first[2], first[1], first[0], first[5], first[4], first[3]};
    std::copy(start.begin(), start.end(), block0.begin());
    Bytes block400 = Pattern(96, 50);
    EXPECT_EQ(Talk(sim, Frame(3, 0, block0)), Bytes{1});
    EXPECT_EQ(Talk(sim, Frame(3, 0x400, block400)), Bytes{1});

    // EEPROM: calibration words come high byte first; one block written.
    Bytes cal = Talk(sim, Frame(4, 0x7FF020));
    ASSERT_EQ(cal.size(), 32u);
    EXPECT_EQ(cal[0], MemoryImage::CalibrationWord(16) >> 8);
    EXPECT_EQ(cal[1], MemoryImage::CalibrationWord(16) & 0xFF);
    Bytes ee = Pattern(32, 9);
    EXPECT_EQ(Talk(sim, Frame(5, 0x7FF040, ee)), Bytes{1});

    // Device settings: entry 0 after the command, six more; only word 6 is written.
    Bytes settings{7, 1, 0xFF, 0xFF};
    for (int i = 1; i <= 5; ++i) settings.insert(settings.end(), {1, 0xFF, 0xFF});
    settings.insert(settings.end(), {0, 0x34, 0x12});
    EXPECT_EQ(Talk(sim, settings), Bytes(7, 1));
    EXPECT_TRUE(Talk(sim, {8}).empty());
    EXPECT_FALSE(sim.InLoader());
    EXPECT_EQ(Talk(sim, {'8'}), Bytes{100}) << "the firmware runs again";
    EXPECT_EQ(Status(sim), 253);

    const MemoryImage& m = sim.MotorImage();
    ASSERT_EQ(m.programWrites.size(), 2u);
    EXPECT_EQ(m.programWrites.at(0), block0);
    EXPECT_EQ(m.programWrites.at(0x400), block400);
    EXPECT_EQ(m.Instruction(0), MemoryImage::kLoaderStart0);
    EXPECT_EQ(m.Instruction(1), MemoryImage::kLoaderStart1);
    EXPECT_EQ(m.Instruction(0x200), uint32_t(block400[0] | block400[1] << 8 | block400[2] << 16));
    ASSERT_EQ(m.eepromWrites.size(), 1u);
    EXPECT_EQ(m.eepromWrites.at(0x7FF040), ee);
    EXPECT_EQ(m.EepromWord(32), ee[0] | ee[1] << 8);
    EXPECT_EQ(m.settingWrites, (std::map<int, uint16_t>{{6, 0x1234}}));
    EXPECT_EQ(m.exits, 1);
    EXPECT_TRUE(sim.StitcherImage().programWrites.empty());

    std::string image = sim.Control("image");
    EXPECT_EQ(image.rfind("{\"program\":{\"0x000000\":\"", 0), 0u) << image;
    EXPECT_NE(image.find("\"0x000400\":\"3239"), std::string::npos) << image;
    EXPECT_NE(image.find("\"settings\":{\"6\":4660}"), std::string::npos) << image;
}

TEST(SimLoader, RefusedWritesAreRepeatedAndStoredOnce) {
    Simulator sim;
    EXPECT_EQ(sim.Control("loader-nak 2"), "ok");
    Talk(sim, kReset);
    Bytes block = Pattern(96, 3);
    EXPECT_EQ(Talk(sim, Frame(3, 0x40, block)), Bytes{0});
    EXPECT_EQ(sim.MotorImage().Instruction(0x20), 0xFFFFFFu) << "a refused block is not programmed";
    EXPECT_EQ(Talk(sim, Frame(3, 0x40, block)), Bytes{0});
    EXPECT_EQ(Talk(sim, Frame(3, 0x40, block)), Bytes{1});
    EXPECT_EQ(sim.MotorImage().programWrites.size(), 1u);

    // Device settings: a refused first entry comes again with its command byte; a refused
    // later entry comes again on its own.
    sim.Control("loader-nak 1");
    EXPECT_EQ(Talk(sim, {7, 0, 0xAA, 0x00}), Bytes{0});
    EXPECT_EQ(Talk(sim, {7, 0, 0xAA, 0x00}), Bytes{1});
    EXPECT_EQ(Talk(sim, {1, 0, 0, 1, 0, 0}), (Bytes{1, 1}));
    sim.Control("loader-nak 1");
    EXPECT_EQ(Talk(sim, {0, 0xBB, 0x00}), Bytes{0});
    EXPECT_EQ(Talk(sim, {0, 0xBB, 0x00}), Bytes{1});
    EXPECT_EQ(Talk(sim, {1, 0, 0, 1, 0, 0, 1, 0, 0}), (Bytes{1, 1, 1}));
    EXPECT_EQ(sim.MotorImage().settingWrites, (std::map<int, uint16_t>{{0, 0xAA}, {3, 0xBB}}));
    EXPECT_EQ(Talk(sim, {8, '8'}), Bytes{100}) << "after the seventh entry, frames are commands again";

    // Frames outside the memory are refused, never stored, and do not upset the loader.
    Talk(sim, kReset);
    EXPECT_EQ(Talk(sim, Frame(3, 0x18000, block)), Bytes{0});
    EXPECT_TRUE(Talk(sim, Frame(4, 0x123456)).empty());
    EXPECT_EQ(Talk(sim, Frame(5, 0x7FFFF0, Pattern(32, 0))), Bytes{0});
    EXPECT_EQ(Talk(sim, {1, 1, 1, 1}).size(), 96u);
}

TEST(SimLoader, StitcherFirmwareByteSendsTheUploadToTheStitchController) {
    Simulator sim;
    Talk(sim, {64});
    Talk(sim, kReset);
    EXPECT_NE(sim.Control("state").find("\"mode\":\"stitcher-loader\""), std::string::npos);
    // A second reset while the loader listens (an upload tried again) restarts the same loader.
    EXPECT_EQ(Talk(sim, {1, 1, 1, 1}).size(), 96u);
    Talk(sim, kReset);
    EXPECT_NE(sim.Control("state").find("\"mode\":\"stitcher-loader\""), std::string::npos);
    Bytes block = Pattern(96, 5);
    EXPECT_EQ(Talk(sim, Frame(3, 0, block)), Bytes{1});
    Talk(sim, {8});
    EXPECT_EQ(sim.StitcherImage().programWrites.at(0), block);
    EXPECT_TRUE(sim.MotorImage().programWrites.empty());

    // Byte 64 only counts for the reset that follows it at once.
    Talk(sim, {64, '8'});
    Talk(sim, kReset);
    EXPECT_NE(sim.Control("state").find("\"mode\":\"mc1-loader\""), std::string::npos);
}
