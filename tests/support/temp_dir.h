#pragma once
// A private working folder for one test: created empty, made the current directory, and
// named in $CORVAN_SYSROOT so that absolute system paths land inside it too. Everything is
// removed and the old directory restored afterwards.
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    // Path of a file inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` to a file inside the folder (creating parent folders).
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string path_;
    std::string oldCwd_;
    std::string oldSysroot_;
    bool hadSysroot_ = false;
};
