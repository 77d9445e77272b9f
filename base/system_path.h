#pragma once
#include <string>

// The program names a few absolute system places ("/media/usb/", "/proc/version", "/tmp/...").
// Every such path goes through SystemPath, which puts $CORVAN_SYSROOT in front when it is set,
// so tests (and a desktop run) can fake the board's file system in a folder of their own.
// Relative paths ("./Layout/...") are returned unchanged: they belong to the working folder.
std::string SystemPath(const std::string& absolutePath);
