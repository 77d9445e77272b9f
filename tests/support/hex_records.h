#pragma once
// Intel HEX records for tests, with correct checksums. Addresses are the file's byte addresses.
#include <string>

#include "support/scripted_peer.h"  // Bytes({...})

// One record line (with "\n") of the given type, 16-bit address and data bytes.
std::string HexRecord(int type, unsigned address, const std::string& data);
// An extended linear address record setting the upper 16 bits of the byte address.
std::string HexUpper(unsigned upper16);
// An extended address record followed by one data record at the full byte address.
std::string HexDataAt(unsigned long byteAddress, const std::string& data);
// The end-of-file record.
std::string HexEnd();
