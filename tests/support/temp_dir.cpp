#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    char templ[] = "/tmp/corvan-test-XXXXXX";
    char* made = mkdtemp(templ);
    if (made == nullptr) {
        ADD_FAILURE() << "mkdtemp failed";
        return;
    }
    path_ = made;
    oldCwd_ = fs::current_path().string();
    if (const char* s = std::getenv("CORVAN_SYSROOT")) {
        hadSysroot_ = true;
        oldSysroot_ = s;
    }
    setenv("CORVAN_SYSROOT", path_.c_str(), 1);
    fs::current_path(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::current_path(oldCwd_, ec);
    if (hadSysroot_)
        setenv("CORVAN_SYSROOT", oldSysroot_.c_str(), 1);
    else
        unsetenv("CORVAN_SYSROOT");
    if (!path_.empty())
        fs::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const
{
    fs::path p = fs::path(path_) / name;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

std::string TempDir::Read(const std::string& name) const
{
    std::ifstream in(fs::path(path_) / name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TempDir::Exists(const std::string& name) const { return fs::exists(fs::path(path_) / name); }
