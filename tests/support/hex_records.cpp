#include "support/hex_records.h"

#include <cstdio>

std::string HexRecord(int type, unsigned address, const std::string& data)
{
    unsigned sum = static_cast<unsigned>(data.size()) + ((address >> 8) & 0xFF) + (address & 0xFF) +
                   static_cast<unsigned>(type);
    char head[16];
    std::snprintf(head, sizeof head, ":%02X%04X%02X", static_cast<unsigned>(data.size()) & 0xFF,
                  address & 0xFFFF, static_cast<unsigned>(type) & 0xFF);
    std::string line = head;
    for (unsigned char c : data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", c);
        line += hex;
        sum += c;
    }
    char check[4];
    std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + check + "\n";
}

std::string HexUpper(unsigned upper16)
{
    return HexRecord(4, 0, Bytes({static_cast<int>((upper16 >> 8) & 0xFF), static_cast<int>(upper16 & 0xFF)}));
}

std::string HexDataAt(unsigned long byteAddress, const std::string& data)
{
    return HexUpper(static_cast<unsigned>(byteAddress >> 16)) +
           HexRecord(0, static_cast<unsigned>(byteAddress & 0xFFFF), data);
}

std::string HexEnd()
{
    return ":00000001FF\n";
}
