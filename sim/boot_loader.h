#pragma once
// The serial boot loader that both controllers carry, and the memory it programs.
//
// Memory as the loader addresses it: program memory 0..0x17FFF in address units of which
// two make one 24-bit instruction; data EEPROM 0x7FF000..0x7FFFFF, two units per 16-bit
// word; eight device-setting words. The loader's frames:
//   [1,1,1,1]                 hello: answers a 96-byte identification block
//   [2,a0,a1,a2]              read 32 instructions from address a: 96 bytes, each
//                             instruction most significant byte first
//   [3,a0,a1,a2] + 96 bytes   write 32 instructions, each least significant byte first
//                             (the order of the HEX file); answers 1
//   [4,a0,a1,a2]              read 16 EEPROM words: 32 bytes, each word high byte first
//   [5,a0,a1,a2] + 32 bytes   write 16 EEPROM words, low byte first; answers 1
//   [7,keep,lo,hi]            device-setting word 0, followed by six 3-byte entries
//                             [keep,lo,hi] for words 1..6; each answered with 1. keep 1
//                             leaves the word alone, 0 writes lo | hi << 8.
//   [8]                       leave the loader and start the firmware
// Reads answer most significant byte first and writes arrive least significant first; a
// program that keeps the loader's start by reading block 0 and writing it back must turn
// the bytes around, and the image shows whether it did.
//
// The first two instructions of a fresh device are the loader's own start, a jump to the
// loader at kLoaderAddress; the first 32 EEPROM words hold recognisable calibration data.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wire.h"

namespace mc1sim {

struct MemoryImage {
    static constexpr uint32_t kProgramUnits = 0x18000;
    static constexpr uint32_t kEepromBase = 0x7FF000;
    static constexpr uint32_t kEepromUnits = 0x1000;
    static constexpr uint32_t kLoaderAddress = 0x17C00;
    static constexpr uint32_t kLoaderStart0 = 0x040000 | (kLoaderAddress & 0xFFFF);  // goto, low part
    static constexpr uint32_t kLoaderStart1 = kLoaderAddress >> 16;                  // goto, high part
    static uint16_t CalibrationWord(int i) { return uint16_t(0xCA00 + i); }

    // The device's memory. Only what differs from an erased device is stored, so a
    // simulator costs little until firmware is sent to it.
    uint32_t Instruction(uint32_t index) const;  // 24 bits, 0xFFFFFF erased
    uint16_t EepromWord(uint32_t index) const;   // 0xFFFF erased
    void SetInstruction(uint32_t index, uint32_t value) { program_[index] = value & 0xFFFFFF; }
    void SetEepromWord(uint32_t index, uint16_t value) { eeprom_[index] = value; }
    std::array<uint16_t, 8> settings{{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}};

    // Every block written, as its bytes arrived (the latest write of an address wins).
    std::map<uint32_t, Bytes> programWrites;
    std::map<uint32_t, Bytes> eepromWrites;
    std::map<int, uint16_t> settingWrites;  // word index -> value written
    int exits = 0;                          // times the loader was left with [8]

private:
    std::map<uint32_t, uint32_t> program_;
    std::map<uint32_t, uint16_t> eeprom_;
};

class BootLoader {
public:
    explicit BootLoader(std::string name) : name_(std::move(name)) {}

    struct Step {
        Bytes reply;
        std::string journal;  // non-empty when a frame completed
        bool exit = false;    // [8] received
    };

    void Restart();  // the loader starts afresh: no half-read frame
    bool BetweenFrames() const { return frame_.empty(); }
    Step Receive(uint8_t byte);

    MemoryImage& Image() { return image_; }
    const MemoryImage& Image() const { return image_; }
    const std::string& Name() const { return name_; }

    // The next n write frames are refused (answered 0 and not stored) before being taken.
    void RefuseWrites(int n) { refuse_ = n; }
    int PendingRefusals() const { return refuse_; }

private:
    size_t FrameLength() const;
    Step Execute();
    uint8_t Acknowledge();

    std::string name_;
    MemoryImage image_;
    Bytes frame_;
    int settingEntry_ = -1;  // -1: not in the device-setting sequence, else next entry 0..6
    int refuse_ = 0;
};

}  // namespace mc1sim
