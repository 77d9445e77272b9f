#pragma once
// Updating the device from a USB stick: the program itself, the motion controller's
// firmware, a whole system package; finishing a program update at the next start; and the
// System Info text.
//
// Every question and message goes through the UI seam and every exit through the process
// hooks, so each flow runs headless. Every absolute path goes through SystemPath.
//
// A program update never copies over the running program: the new file is written to a
// hidden temporary file beside it, flushed to the device, checked against its CRC file and
// renamed into place, so that the launcher finds either the old program or the whole new one.

#include <cstdint>
#include <string>
#include <sys/types.h>

// The running program's version, as System Info shows it and the backup is named.
constexpr const char* kSoftwareVersion = "3.06";
// Longest command line of ./update that is run; longer ones are skipped, never written.
constexpr std::size_t kUpdateLineMax = 255;

// The device's places (through SystemPath).
std::string UsbFolder();              // "/media/usb/"
std::string InstalledProgramPath();   // "/media/mmc0/Corvan/corvan"
std::string BackupFolder();           // "/media/mmc0/Corvan/backup/"
std::string UnpackFolder();           // "/tmp/softupdate"

// `path` single-quoted for the shell (a ' inside becomes '\'').
std::string ShellQuote(const std::string& path);

// Copies the regular file `source` to `destination` through a hidden temporary file in the
// destination's folder: written, flushed to the device, its CRC-32 compared with
// `expectedCrc`, given `mode`, renamed into place. On any failure the destination is as it
// was, the temporary file is gone, `why` says what happened and false is returned.
bool InstallFile(const std::string& source, const std::string& destination, uint32_t expectedCrc,
                 mode_t mode, std::string* why);
// The same, with the CRC taken from the source itself before copying.
bool InstallFileChecked(const std::string& source, const std::string& destination, mode_t mode,
                        std::string* why);

// The lines ./update gets for a new program chosen at `programPath` with its CRC file at
// `crcPath`: the CRC file's path, then the copies of the look and screen files and images
// found beside it. False (nothing to write) when a path holds a line end or a line would be
// longer than kUpdateLineMax.
bool BuildUpdateScript(const std::string& programPath, const std::string& crcPath,
                       std::string* script);

// "Update Program". Returns 1 when the new program is installed (the process then exits
// with status 0), 0 otherwise.
int UpdateProgram();
// "Update Robot". Returns 1 after a successful upload (the process then exits with 0).
int UpdateRobot();
// "Update System". Returns 1 when the package's script ran and exited with 0.
int UpdateSystem();
// "System Info": the text of the information message.
std::string SystemInfoText();
// Shows it.
void ShowSystemInfo();

// Finishes a program update at start-up (see the algorithm in the .cpp). Returns 1 when the
// start goes on, 0 when the process was ended (only seen under test hooks).
int CheckUpdate();
