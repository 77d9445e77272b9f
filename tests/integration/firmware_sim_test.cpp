// Firmware upload into mc1sim's boot loader: after the upload the simulator's memory image
// must hold exactly what the HEX file says, except the loader's own start and the device's
// calibration at the start of EEPROM, which the upload keeps.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "machine/firmware.h"
#include "machine/serial.h"
#include "support/hex_records.h"
#include "support/sim_controller.h"

namespace {

// What mc1sim's loader holds before any upload: a "goto 0x17C00" as its first two
// instructions, and calibration words 0xCA00 + i in the first 32 EEPROM words.
constexpr uint32_t kLoaderStart[2] = {0x047C00, 0x000001};
uint16_t CalibrationWord(int i) { return static_cast<uint16_t>(0xCA00 + i); }

// A firmware image as the test means it, independent of the program's block table.
struct Firmware {
    std::map<uint32_t, uint32_t> instructions;  // program address unit / 2 -> 24-bit value
    std::map<uint32_t, uint16_t> eeprom;         // EEPROM word index -> value
    std::map<int, uint16_t> settings;            // device-setting word -> value
    std::string hex;
};

uint32_t NextRandom(uint32_t* state)
{
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

// Program blocks 0, 1, 2, 1000 and 1519 (the last before the loader), EEPROM blocks 0 to 2
// and 127, and all eight device-setting words, in records of 16 bytes.
Firmware MakeFirmware()
{
    Firmware fw;
    uint32_t seed = 12345;
    std::string data;
    unsigned long recordStart = 0;
    auto flush = [&] {
        if (!data.empty()) fw.hex += HexDataAt(recordStart, data);
        data.clear();
    };
    auto put = [&](unsigned long byteAddress, const std::string& bytes) {
        if (data.empty() || recordStart + data.size() != byteAddress || data.size() >= 16) {
            flush();
            recordStart = byteAddress;
        }
        data += bytes;
    };
    for (int block : {0, 1, 2, 1000, 1519})
        for (int i = 0; i < 32; ++i) {
            const uint32_t instruction = block * 32 + i;
            const uint32_t value = NextRandom(&seed) & 0xFFFFFF;
            fw.instructions[instruction] = value;
            put(4ul * instruction, Bytes({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                                          static_cast<int>(value >> 16), 0}));
        }
    for (int block : {0, 1, 2, 127})
        for (int i = 0; i < 16; ++i) {
            const uint32_t word = block * 16 + i;
            const uint16_t value = static_cast<uint16_t>(NextRandom(&seed));
            fw.eeprom[word] = value;
            put(0xFFE000ul + 4 * word, Bytes({value & 0xFF, value >> 8, 0, 0}));
        }
    for (int i = 0; i < 8; ++i) {
        const uint16_t value = static_cast<uint16_t>(NextRandom(&seed));
        fw.settings[i] = value;
        put(0x1F00000ul + 4 * i, Bytes({value & 0xFF, value >> 8, 0, 0}));
    }
    flush();
    fw.hex += HexEnd();
    return fw;
}

int Upload(const std::string& hex)
{
    std::string copy = hex;
    FILE* f = fmemopen(&copy[0], copy.size(), "r");
    const int result = SendHexFile(f);
    std::fclose(f);
    return result;
}

// The part of a JSON line between "key":{ and its closing brace.
std::string Section(const std::string& json, const std::string& key)
{
    const std::string open = "\"" + key + "\":{";
    const size_t at = json.find(open);
    if (at == std::string::npos) return "";
    const size_t from = at + open.size();
    return json.substr(from, json.find('}', from) - from);
}

// "0xADDRESS":"hex bytes" entries of a section.
std::map<uint32_t, std::string> Blocks(const std::string& section)
{
    std::map<uint32_t, std::string> blocks;
    static const std::regex entry("\"0x([0-9A-Fa-f]+)\":\"([0-9a-f]*)\"");
    for (std::sregex_iterator it(section.begin(), section.end(), entry), end; it != end; ++it) {
        std::string bytes;
        const std::string hex = (*it)[2];
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes.push_back(static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        blocks[static_cast<uint32_t>(std::stoul((*it)[1], nullptr, 16))] = bytes;
    }
    return blocks;
}

std::map<int, uint16_t> SettingWords(const std::string& section)
{
    std::map<int, uint16_t> words;
    static const std::regex entry("\"([0-9]+)\":([0-9]+)");
    for (std::sregex_iterator it(section.begin(), section.end(), entry), end; it != end; ++it)
        words[std::stoi((*it)[1])] = static_cast<uint16_t>(std::stoul((*it)[2]));
    return words;
}

unsigned Byte(const std::string& s, size_t i) { return static_cast<unsigned char>(s[i]); }

// Compares the simulator's image with the firmware; the loader's start and the calibration
// words stand where the file had its own.
void ExpectImageMatches(SimController& sim, const Firmware& fw)
{
    sim.NewJournal();  // waits until the last bytes (the final [8]) have reached the loader
    const std::string json = sim.Control("image");
    const auto program = Blocks(Section(json, "program"));
    const auto eeprom = Blocks(Section(json, "eeprom"));
    const auto settings = SettingWords(Section(json, "settings"));

    std::vector<uint32_t> wantProgram = {0x0, 0x40, 0x80, 1000 * 0x40, 1519 * 0x40};
    ASSERT_EQ(program.size(), wantProgram.size()) << json;
    for (uint32_t address : wantProgram) {
        ASSERT_EQ(program.count(address), 1u) << std::hex << address;
        const std::string& bytes = program.at(address);
        ASSERT_EQ(bytes.size(), 96u);
        for (uint32_t i = 0; i < 32; ++i) {
            const uint32_t got = Byte(bytes, 3 * i) | Byte(bytes, 3 * i + 1) << 8 | Byte(bytes, 3 * i + 2) << 16;
            const uint32_t instruction = address / 2 + i;
            const uint32_t want = instruction < 2 ? kLoaderStart[instruction] : fw.instructions.at(instruction);
            EXPECT_EQ(got, want) << "instruction " << instruction;
        }
    }

    std::vector<uint32_t> wantEeprom = {0x7FF000, 0x7FF020, 0x7FF040, 0x7FFFE0};
    ASSERT_EQ(eeprom.size(), wantEeprom.size()) << json;
    for (uint32_t address : wantEeprom) {
        ASSERT_EQ(eeprom.count(address), 1u) << std::hex << address;
        const std::string& bytes = eeprom.at(address);
        ASSERT_EQ(bytes.size(), 32u);
        for (uint32_t i = 0; i < 16; ++i) {
            const uint16_t got = static_cast<uint16_t>(Byte(bytes, 2 * i) | Byte(bytes, 2 * i + 1) << 8);
            const uint32_t word = (address - 0x7FF000) / 2 + i;
            const uint16_t want = word < 32 ? CalibrationWord(static_cast<int>(word)) : fw.eeprom.at(word);
            EXPECT_EQ(got, want) << "EEPROM word " << word;
        }
    }

    // The loader takes seven setting words; the eighth is never sent.
    std::map<int, uint16_t> wantSettings(fw.settings.begin(), fw.settings.find(7));
    EXPECT_EQ(settings, wantSettings) << json;
    EXPECT_EQ(SimController::Number(json, "exits"), 1.0) << json;
}

}  // namespace

TEST(FirmwareUploadSim, ImageMatchesTheFileWithTheLoaderStartAndCalibrationKept)
{
    SimController sim;
    ASSERT_TRUE(sim.ok()) << sim.problem();
    ASSERT_GE(OpenPort(), 0);
    const Firmware fw = MakeFirmware();
    ASSERT_EQ(Upload(fw.hex), 0);
    ExpectImageMatches(sim, fw);
}

TEST(FirmwareUploadSim, RefusedWritesAreRepeatedAndASilentLoaderIsReported)
{
    SimController sim({"--baud", "57600"});
    ASSERT_TRUE(sim.ok()) << sim.problem();
    ASSERT_GE(OpenPort(), 0);
    const Firmware fw = MakeFirmware();
    EXPECT_EQ(sim.Control("loader-nak 5"), "ok");
    ASSERT_EQ(Upload(fw.hex), 0);
    ExpectImageMatches(sim, fw);
    // The first block went five times refused, then once taken; nothing else was refused.
    int refused = 0, firstBlock = 0;
    for (const std::string& entry : sim.Journal()) {
        if (entry.find(" -> 0") != std::string::npos) ++refused;
        if (entry.find("WriteProgram") != std::string::npos && entry.find("000000 ") != std::string::npos)
            ++firstBlock;
    }
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(firstBlock, 6);

    EXPECT_EQ(sim.Control("silent on"), "ok");
    EXPECT_EQ(Upload(fw.hex), 5);
}
