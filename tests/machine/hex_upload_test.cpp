#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "machine/firmware.h"
#include "machine/serial.h"
#include "support/hex_records.h"
#include "support/pty_pair.h"

namespace {

// A boot loader played by the test on the far end of a pseudo-terminal: it takes the
// commands of an upload, answers them as configured, and keeps every byte it was sent.
struct FakeLoader {
    std::string hello = std::string(96, '\x55');  // answer to [1,1,1,1]
    std::string firstBlock;                       // answer to [2,0,0,0]
    std::string eeprom[2];                        // answers to [4,0x00|0x20,0xF0,0x7F]
    int naksBeforeAck = 0;                        // refuse each write this often first
    bool alwaysNak = false;
    int silentFromWrite = -1;                     // from this write on, answer nothing

    std::mutex lock;
    std::string received;                         // every byte, in order
    std::vector<std::string> writes;              // each block or setting entry as received
    int settingEntry = -1;                        // entry awaited after [7], -1 outside
    int naked = 0;

    FakeLoader()
    {
        // The loader's own start: two recognisable instructions, then the rest of the block.
        firstBlock = Bytes({0x04, 0x02, 0x01, 0x03, 0x02, 0x01});
        while (firstBlock.size() < 96) firstBlock.push_back(static_cast<char>(firstBlock.size()));
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < 32; ++i) eeprom[k].push_back(static_cast<char>(0x80 + 32 * k + i));
    }

    std::string Acknowledge(const std::string& write)
    {
        writes.push_back(write);
        if (silentFromWrite >= 0 && static_cast<int>(writes.size()) > silentFromWrite) return "";
        if (alwaysNak || naked < naksBeforeAck) {
            ++naked;
            return std::string(1, '\0');
        }
        naked = 0;
        return "\x01";
    }

    std::string Handle(std::string& pending)
    {
        std::lock_guard<std::mutex> guard(lock);
        std::string reply;
        for (;;) {
            if (pending.empty()) return reply;
            const unsigned char c = static_cast<unsigned char>(pending[0]);
            size_t need = 1;
            if (settingEntry >= 0 && !(settingEntry == 0 && c == 7)) {
                need = 3;
            } else if (c == 1 || c == 2 || c == 4) {
                need = 4;
            } else if (c == 3) {
                need = 100;
            } else if (c == 5) {
                need = 36;
            }
            if (pending.size() < need) return reply;
            const std::string packet = pending.substr(0, need);
            pending.erase(0, need);
            received += packet;
            if (need == 3) {
                const std::string answer = Acknowledge(packet);
                if (answer == "\x01" && ++settingEntry == 7) settingEntry = -1;
                reply += answer;
            } else if (c == 1) {
                reply += hello;
            } else if (c == 2) {
                reply += firstBlock;
            } else if (c == 4) {
                reply += eeprom[packet[1] == 0x20 ? 1 : 0];
            } else if (c == 3 || c == 5) {
                reply += Acknowledge(packet);
            } else if (c == 7) {
                settingEntry = 0;  // also when the first entry comes again after a refusal
            }
            // 255, 255, 255, ';' (restart) and 8 (leave) need no answer.
        }
    }
};

struct Upload {
    PtyPair pty;
    FakeLoader loader;

    Upload()
    {
        EXPECT_GE(OpenPort(), 0);
        pty.Answer([this](std::string& pending) { return loader.Handle(pending); });
    }

    int Send(const std::string& hex)
    {
        std::string copy = hex;
        FILE* f = fmemopen(&copy[0], copy.size(), "r");
        testing::internal::CaptureStdout();
        const int r = SendHexFile(f);
        output = testing::internal::GetCapturedStdout();
        std::fclose(f);
        // The last bytes may still be on their way: wait for the final [8] of a finished
        // upload, or a moment for stray bytes after a failed one.
        for (int waited = 0; waited < (r == 0 ? 2000 : 100); waited += 5) {
            {
                std::lock_guard<std::mutex> guard(loader.lock);
                if (r == 0 && !loader.received.empty() && loader.received.back() == '\x08') break;
            }
            usleep(5000);
        }
        pty.StopAnswering();
        return r;
    }

    std::string output;
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

const std::string kRestart = Bytes({255, 255, 255, 59});
const std::string kHello = Bytes({1, 1, 1, 1});
const std::string kReadFirst = Bytes({2, 0, 0, 0});
const std::string kReadEeprom = Bytes({4, 0x00, 0xF0, 0x7F, 4, 0x20, 0xF0, 0x7F});
// The loader's start as it goes back: each instruction's bytes in the reverse of their
// read-out order.
const std::string kStartBack = Bytes({0x01, 0x02, 0x04, 0x01, 0x02, 0x03});

std::string DefaultSettingEntries()
{
    std::string s = Bytes({7, 1, 0xFF, 0xFF});
    for (int i = 1; i < 7; ++i) s += Bytes({1, 0xFF, 0xFF});
    return s;
}

}  // namespace

TEST(HexUpload, EndRecordAloneSendsTheLoaderStartAndTheSettingEntries)
{
    Upload up;
    ASSERT_EQ(up.Send(HexEnd()), 0);
    const std::string expected = kRestart + kHello + kReadFirst + kReadEeprom +
                                 Bytes({3, 0, 0, 0}) + kStartBack + Repeat('\xFF', 90) +
                                 DefaultSettingEntries() + Bytes({8});
    EXPECT_EQ(up.loader.received, expected);
    EXPECT_EQ(up.loader.writes.size(), 8u);  // one block and seven setting entries
}

TEST(HexUpload, FileDataIsSentWithTheLoaderStartAndTheDeviceEepromKept)
{
    Upload up;
    std::string program;  // the first block fully, plus one instruction into the second
    for (int i = 0; i < 33; ++i) program += Bytes({i, 0x10 + i, 0x20 + i, 0});
    std::string eepromWords;  // words for the first three EEPROM blocks (the first two are kept)
    for (int i = 0; i < 48; ++i) eepromWords += Bytes({0xE0, i, 0, 0});
    std::string hex;
    for (size_t at = 0; at < program.size(); at += 16)
        hex += HexRecord(0, static_cast<unsigned>(at), program.substr(at, 16));
    hex += HexUpper(0x00FF);
    for (size_t at = 0; at < eepromWords.size(); at += 16)
        hex += HexRecord(0, 0xE000 + static_cast<unsigned>(at), eepromWords.substr(at, 16));
    hex += HexDataAt(0x1F00008, Bytes({0x34, 0x12, 0, 0}));  // the third setting word
    hex += HexEnd();
    ASSERT_EQ(up.Send(hex), 0) << up.output;

    const std::vector<std::string>& w = up.loader.writes;
    ASSERT_EQ(w.size(), 2u + 3u + 7u);
    // Program block 0: the loader's two instructions, then the file's from the third on.
    std::string block0 = Bytes({3, 0, 0, 0}) + kStartBack;
    for (int i = 2; i < 32; ++i) block0 += Bytes({i, 0x10 + i, 0x20 + i});
    EXPECT_EQ(w[0], block0);
    EXPECT_EQ(w[1], Bytes({3, 0x40, 0, 0, 32, 0x30, 0x40}) + Repeat('\xFF', 93));
    // EEPROM blocks 0 and 1 carry the device's bytes swapped pairwise; block 2 the file's.
    for (int k = 0; k < 2; ++k) {
        std::string expected = Bytes({5, 0x20 * k, 0xF0, 0x7F});
        for (int i = 0; i < 32; i += 2)
            expected += Bytes({0x80 + 32 * k + i + 1, 0x80 + 32 * k + i});
        EXPECT_EQ(w[2 + k], expected) << k;
    }
    std::string block2 = Bytes({5, 0x40, 0xF0, 0x7F});
    for (int i = 32; i < 48; ++i) block2 += Bytes({0xE0, i});
    EXPECT_EQ(w[4], block2);
    // Setting entries: the third is written (flag 0), the others kept.
    EXPECT_NE(up.loader.received.find(Bytes({7, 1, 0xFF, 0xFF, 1, 0xFF, 0xFF, 0})), std::string::npos);
    EXPECT_EQ(w[5], Bytes({1, 0xFF, 0xFF}));
    EXPECT_EQ(w[7], Bytes({0, 0x34, 0x12}));
    EXPECT_EQ(w[11], Bytes({1, 0xFF, 0xFF}));
    EXPECT_EQ(up.loader.received.back(), '\x08');
}

TEST(HexUpload, UnreadableFilesSendNothing)
{
    const std::string good = HexRecord(0, 0, Bytes({1, 2, 3, 0}));
    struct Case {
        std::string hex;
        int code;
    } cases[] = {
        {good + HexDataAt(0x1FFFE00, Bytes({1, 2, 3, 0})) + HexEnd(), 1},
        {good + HexRecord(2, 0, Bytes({0x10, 0})) + HexEnd(), 2},
        {good + ":0400000001020300F7\n" + HexEnd(), 2},
    };
    for (const Case& c : cases) {
        Upload up;
        EXPECT_EQ(up.Send(c.hex), c.code);
        EXPECT_EQ(up.loader.received, "");
        EXPECT_EQ(up.output.rfind("HEX line ", 0), 0u) << up.output;
    }
}

TEST(HexUpload, SilentOrShortLoaderAnswersStopBeforeAnythingIsWritten)
{
    {
        Upload up;
        up.loader.hello = "";
        EXPECT_EQ(up.Send(HexEnd()), 5);
        EXPECT_EQ(up.loader.received, kRestart + kHello);
    }
    {
        Upload up;
        up.loader.firstBlock = "";
        EXPECT_EQ(up.Send(HexEnd()), 3);
        EXPECT_EQ(up.loader.received, kRestart + kHello + kReadFirst);
    }
    {
        // Four bytes are not the loader's two instructions: better nothing than a guess.
        Upload up;
        up.loader.firstBlock = Bytes({4, 2, 1, 3});
        EXPECT_EQ(up.Send(HexEnd()), 3);
        EXPECT_TRUE(up.loader.writes.empty());
    }
    {
        // Without a port there is nobody to answer.
        testing::internal::CaptureStdout();
        std::string hex = HexEnd();
        FILE* f = fmemopen(&hex[0], hex.size(), "r");
        EXPECT_EQ(SendHexFile(f), 5);
        std::fclose(f);
        EXPECT_NE(testing::internal::GetCapturedStdout().find("Serial Port Not Enabled"), std::string::npos);
    }
}

TEST(HexUpload, UnreadEepromLeavesTheFileDataAndAnUnansweredBlockFails)
{
    {
        Upload up;
        up.loader.eeprom[0] = "";
        up.loader.eeprom[1] = Repeat('\x01', 10);  // cut short: not taken either
        ASSERT_EQ(up.Send(HexDataAt(0xFFE000, Bytes({0xE0, 1, 0, 0})) + HexEnd()), 0);
        EXPECT_NE(up.output.find("EEPROM not read!!\n"), std::string::npos);
        ASSERT_GE(up.loader.writes.size(), 2u);
        EXPECT_EQ(up.loader.writes[1], Bytes({5, 0, 0xF0, 0x7F, 0xE0, 1}) + Repeat('\xFF', 30));
    }
    {
        // The loader stops answering after the first block: the upload fails and does not
        // tell the loader to start the half-written firmware.
        Upload up;
        up.loader.silentFromWrite = 1;
        EXPECT_EQ(up.Send(HexEnd()), 4);
        EXPECT_EQ(up.loader.writes.size(), 2u);
        EXPECT_NE(up.loader.received.back(), '\x08');
    }
}

TEST(HexUpload, RefusedBlocksAreSentAgainUntilTheLimit)
{
    {
        Upload up;
        up.loader.naksBeforeAck = 2;
        ASSERT_EQ(up.Send(HexEnd()), 0);
        // Each write three times: twice refused, then taken.
        ASSERT_EQ(up.loader.writes.size(), 3u * 8u);
        EXPECT_EQ(up.loader.writes[0], up.loader.writes[2]);
        EXPECT_EQ(up.loader.writes[3], Bytes({1, 0xFF, 0xFF}));
        EXPECT_EQ(up.loader.received.find(Bytes({7, 1, 0xFF, 0xFF, 7, 1, 0xFF, 0xFF, 7, 1})),
                  up.loader.received.find('\x07'));
    }
    {
        Upload up;
        up.loader.alwaysNak = true;
        EXPECT_EQ(up.Send(HexEnd()), 4);
        // Only the first block, over and over: the loader was never asked for anything else.
        ASSERT_GT(up.loader.writes.size(), 2u);
        for (const std::string& w : up.loader.writes) ASSERT_EQ(w, up.loader.writes[0]);
        EXPECT_EQ(up.loader.writes[0].substr(0, 4), Bytes({3, 0, 0, 0}));
    }
}

TEST(HexBlockSend, BlockResultsWithoutAnUpload)
{
    HexImage image = NewHexImage();
    EXPECT_EQ(SendHexData(&image[0]), 2);    // empty program block: nothing to send
    EXPECT_EQ(SendHexData(&image[1536]), 2);  // empty EEPROM block
    EXPECT_EQ(SendHexData(&image[1671]), 4);  // the last setting word is never sent
    EXPECT_EQ(SendHexData(&image[1664]), 3);  // no port, no answer

    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    EXPECT_EQ(SendHexData(&image[1665]), 3);  // nobody answers within the reply wait
    EXPECT_EQ(pty.Receive(3), Bytes({1, 0xFF, 0xFF}));
    EXPECT_EQ(SendHexData(&image[1671]), 4);
    EXPECT_EQ(pty.ReceiveAll(), "");
}
