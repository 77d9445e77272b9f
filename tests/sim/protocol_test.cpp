// The command table as the simulator answers it, driven from raw bytes.
#include "sim_bytes.h"

using namespace simtest;
using mc1sim::Simulator;

TEST(SimProtocol, MovePacketIsCheckedBeforeItIsQueued) {
    Simulator sim;
    Talk(sim, {44});  // halted: the buffer only collects

    Bytes packet = MovePacket(1000.0, 2500.5, 100.0);
    const Bytes expected{33, 0xA0, 0x86, 0x01, 0x00, 0xC2, 0xD0, 0x03, 0x00,
                         0xA0, 0x86, 0x01, 0x00, 0x02, 0xDE, 0x06, 0x00};
    ASSERT_EQ(packet, expected);  // X 100000, Y 250050, F 100000, checksum 450050
    EXPECT_EQ(Talk(sim, packet), Bytes{11});
    EXPECT_EQ(Status(sim), 98);

    Bytes badSum = packet;
    badSum[13] ^= 1;
    EXPECT_EQ(Talk(sim, badSum), Bytes{12});
    Bytes badX = packet;
    badX[2] ^= 0x10;
    EXPECT_EQ(Talk(sim, badX), Bytes{12});
    EXPECT_EQ(Status(sim), 98) << "a rejected packet must not take a place";

    // The checksum is a 32-bit wrap-around sum, so large and negative values pass too.
    Bytes wrap{33};
    Put32(wrap, 0x7FFFFFFF);
    Put32(wrap, 0x7FFFFFFF);
    Put32(wrap, uint32_t(-5));
    Put32(wrap, 0x7FFFFFFFu + 0x7FFFFFFFu + uint32_t(-5));
    EXPECT_EQ(Talk(sim, wrap), Bytes{11});
    EXPECT_EQ(Status(sim), 97);
}

TEST(SimProtocol, ConstantsAnswerInQueryOrderAfterTheSetters) {
    Simulator sim;
    // Distinct values through every setter; the answer order must map each to its query.
    Bytes set;
    for (auto [cmd, v] : {std::pair<uint8_t, int32_t>{1, 101}, {2, 102}, {3, 103}, {4, 104}, {5, 105}, {6, -106},
                          {8, 108}, {9, 109}}) {
        Bytes one = WithInt(cmd, v);
        set.insert(set.end(), one.begin(), one.end());
    }
    EXPECT_TRUE(Talk(sim, set).empty()) << "setters have no reply";

    Bytes r = Talk(sim, {11, 12, 36, 37, 38, 39, 40, 41});
    ASSERT_EQ(r.size(), 32u);
    // XKp, XKi, YKp, YKi, YKd, MaxErr, TOut, XKd
    const int32_t want[8] = {101, 102, 104, 105, -106, 108, 109, 103};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Get32(r, 4 * i), want[i]) << "answer " << i;

    // A single query answers just its own value.
    r = Talk(sim, {41});
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(Get32(r, 0), 103);
}

TEST(SimProtocol, StitchSettingsAndNeedleSettingFollowTheirSetters) {
    Simulator sim;
    EXPECT_EQ(Talk(sim, {14}), (Bytes{5, 40, 2, 4})) << "factory values";
    Bytes set = WithInt(53, 12);
    for (Bytes b : {WithInt(55, 70), WithInt(57, 3), WithInt(54, 300), WithFloat(68, 2.5f)})
        set.insert(set.end(), b.begin(), b.end());
    EXPECT_TRUE(Talk(sim, set).empty());
    EXPECT_EQ(Talk(sim, {14}), (Bytes{12, 70, 3, 255})) << "a value beyond a byte is sent as 255";
    Bytes slow = Talk(sim, {'B'});
    ASSERT_EQ(slow.size(), 4u);
    EXPECT_FLOAT_EQ(GetFloat(slow, 0), 2.5f);
}

TEST(SimProtocol, VersionsDirectionAndStitcherQueries) {
    mc1sim::Config config;
    config.stitcherVersion = 1.26f;
    config.stitcherReply = 33;
    Simulator sim(config);
    Bytes v = Talk(sim, {'<'});
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(GetFloat(v, 0), 1.30f);
    v = Talk(sim, {'='});
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(GetFloat(v, 0), 1.26f);

    EXPECT_EQ(Talk(sim, {'8'}), Bytes{100});
    EXPECT_EQ(Talk(sim, {'A', '8'}), Bytes{200});
    EXPECT_EQ(Talk(sim, {'A', '8'}), Bytes{100});

    EXPECT_EQ(Talk(sim, {'>'}), Bytes{33});
    EXPECT_EQ(sim.Control("stitcher none"), "ok");
    EXPECT_TRUE(Talk(sim, {'>'}).empty()) << "an absent stitch controller does not answer";
    EXPECT_EQ(sim.Control("stitcher 1"), "ok");
    EXPECT_EQ(Talk(sim, {'>'}), Bytes{1});
}

TEST(SimProtocol, FramesSurviveAnyChunkingAndStrayBytes) {
    Simulator sim;
    // A packet split into single bytes, between a byte without reply and a query.
    Bytes stream{46};
    Bytes packet = MovePacket(10, 20, 50);
    stream.insert(stream.end(), packet.begin(), packet.end());
    stream.push_back(0xFF);  // a stray 0xFF that is not the start of a reset
    stream.push_back(0xFF);
    stream.push_back(56);
    Bytes out;
    for (uint8_t b : stream) {
        sim.Receive(&b, 1);
        Bytes r = sim.TakeOutput();
        out.insert(out.end(), r.begin(), r.end());
    }
    EXPECT_EQ(out, (Bytes{11, 100}));
    EXPECT_FALSE(sim.InLoader());

    // Bytes without a reply are taken and journalled, each in order.
    Talk(sim, {46, 47, 48, 50, 63, 70, 0x99});
    const auto& j = sim.Journal();
    ASSERT_GE(j.size(), 7u);
    std::vector<std::string> tail(j.end() - 7, j.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"SetExtents", "ClearExtents", "HandOver", "EndOfPath", "StartByte",
                                              "SetupByte", "Unknown 0x99"}));
    EXPECT_EQ(j.front(), "SetExtents");
    EXPECT_EQ(j[1], "Move 1000 2000 50000 53000 -> 11");
    EXPECT_EQ(j[2], "Unknown 0xFF x2");
}
