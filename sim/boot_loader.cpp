#include "boot_loader.h"

#include <cstdio>

namespace mc1sim {

namespace {

std::string Hex6(uint32_t a) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", unsigned(a));
    return buf;
}

std::string Hex4(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", v & 0xFFFF);
    return buf;
}

uint32_t Address(const Bytes& f) { return uint32_t(f[1]) | uint32_t(f[2]) << 8 | uint32_t(f[3]) << 16; }

}  // namespace

uint32_t MemoryImage::Instruction(uint32_t index) const {
    auto it = program_.find(index);
    if (it != program_.end()) return it->second;
    if (index == 0) return kLoaderStart0;
    if (index == 1) return kLoaderStart1;
    return 0xFFFFFF;
}

uint16_t MemoryImage::EepromWord(uint32_t index) const {
    auto it = eeprom_.find(index);
    if (it != eeprom_.end()) return it->second;
    return index < 32 ? CalibrationWord(int(index)) : 0xFFFF;
}

void BootLoader::Restart() {
    frame_.clear();
    settingEntry_ = -1;
}

size_t BootLoader::FrameLength() const {
    if (settingEntry_ >= 1) return 3;
    switch (frame_[0]) {
        case 1: case 2: case 4: case 7: return 4;
        case 3: return 4 + 96;
        case 5: return 4 + 32;
        default: return 1;  // [8] and anything the loader does not know
    }
}

BootLoader::Step BootLoader::Receive(uint8_t byte) {
    frame_.push_back(byte);
    if (frame_.size() < FrameLength()) return {};
    Step s = Execute();
    frame_.clear();
    return s;
}

uint8_t BootLoader::Acknowledge() {
    if (refuse_ > 0) {
        --refuse_;
        return 0;
    }
    return 1;
}

BootLoader::Step BootLoader::Execute() {
    Step s;
    const std::string who = name_ + " loader ";
    if (settingEntry_ >= 1) {
        int word = settingEntry_;
        s.reply.push_back(Acknowledge());
        bool taken = s.reply[0] == 1;
        bool keep = frame_[0] != 0;
        if (taken && !keep) {
            image_.settings[word] = uint16_t(frame_[1] | frame_[2] << 8);
            image_.settingWrites[word] = image_.settings[word];
        }
        s.journal = who + "Setting " + std::to_string(word) + (keep ? " keep" : " write " + Hex4(frame_[1] | frame_[2] << 8)) +
                    (taken ? " -> 1" : " -> 0");
        if (taken) settingEntry_ = word + 1 < 7 ? word + 1 : -1;
        return s;
    }
    switch (frame_[0]) {
        case 1:
            s.journal = who + "Hello";
            s.reply.assign(96, 0);
            for (size_t i = 0; i < name_.size() && i < 16; ++i) s.reply[i] = uint8_t(name_[i]);
            s.reply[16] = 'B';
            s.reply[17] = 'L';
            s.reply[18] = 1;  // loader version
            break;
        case 2: {
            uint32_t a = Address(frame_);
            s.journal = who + "ReadProgram " + Hex6(a);
            if (a % 2 || a + 64 > MemoryImage::kProgramUnits) {
                s.journal += " refused: outside program memory";
                break;
            }
            for (uint32_t i = 0; i < 32; ++i) {
                uint32_t ins = image_.Instruction(a / 2 + i);
                s.reply.push_back(uint8_t(ins >> 16));
                s.reply.push_back(uint8_t(ins >> 8));
                s.reply.push_back(uint8_t(ins));
            }
            break;
        }
        case 3: {
            uint32_t a = Address(frame_);
            s.journal = who + "WriteProgram " + Hex6(a);
            bool inside = a % 2 == 0 && a + 64 <= MemoryImage::kProgramUnits;
            uint8_t ack = inside ? Acknowledge() : 0;
            if (ack == 1) {
                for (uint32_t i = 0; i < 32; ++i) {
                    const uint8_t* p = &frame_[4 + 3 * i];
                    image_.SetInstruction(a / 2 + i, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
                }
                image_.programWrites[a] = Bytes(frame_.begin() + 4, frame_.end());
            }
            if (!inside) s.journal += " refused: outside program memory";
            s.journal += ack == 1 ? " -> 1" : " -> 0";
            s.reply.push_back(ack);
            break;
        }
        case 4: {
            uint32_t a = Address(frame_);
            s.journal = who + "ReadEeprom " + Hex6(a);
            if (a < MemoryImage::kEepromBase || a % 2 || a + 32 > MemoryImage::kEepromBase + MemoryImage::kEepromUnits) {
                s.journal += " refused: outside EEPROM";
                break;
            }
            for (uint32_t i = 0; i < 16; ++i) {
                uint16_t w = image_.EepromWord((a - MemoryImage::kEepromBase) / 2 + i);
                s.reply.push_back(uint8_t(w >> 8));
                s.reply.push_back(uint8_t(w));
            }
            break;
        }
        case 5: {
            uint32_t a = Address(frame_);
            s.journal = who + "WriteEeprom " + Hex6(a);
            bool inside = a >= MemoryImage::kEepromBase && a % 2 == 0 &&
                          a + 32 <= MemoryImage::kEepromBase + MemoryImage::kEepromUnits;
            uint8_t ack = inside ? Acknowledge() : 0;
            if (ack == 1) {
                for (uint32_t i = 0; i < 16; ++i)
                    image_.SetEepromWord((a - MemoryImage::kEepromBase) / 2 + i,
                                         uint16_t(frame_[4 + 2 * i] | frame_[5 + 2 * i] << 8));
                image_.eepromWrites[a] = Bytes(frame_.begin() + 4, frame_.end());
            }
            if (!inside) s.journal += " refused: outside EEPROM";
            s.journal += ack == 1 ? " -> 1" : " -> 0";
            s.reply.push_back(ack);
            break;
        }
        case 7: {
            uint8_t ack = Acknowledge();
            bool keep = frame_[1] != 0;
            if (ack == 1 && !keep) {
                image_.settings[0] = uint16_t(frame_[2] | frame_[3] << 8);
                image_.settingWrites[0] = image_.settings[0];
            }
            s.journal = who + "Setting 0" + (keep ? " keep" : " write " + Hex4(frame_[2] | frame_[3] << 8)) +
                        (ack == 1 ? " -> 1" : " -> 0");
            // A refused first entry comes again with its command byte in front.
            settingEntry_ = ack == 1 ? 1 : -1;
            s.reply.push_back(ack);
            break;
        }
        case 8:
            s.journal = who + "Exit";
            ++image_.exits;
            s.exit = true;
            break;
        default: {
            char buf[48];
            std::snprintf(buf, sizeof buf, "Unknown 0x%02X", frame_[0]);
            s.journal = who + buf;
            break;
        }
    }
    return s;
}

}  // namespace mc1sim
