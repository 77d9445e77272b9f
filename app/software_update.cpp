#include "app/software_update.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/file_crc.h"
#include "app/setup.h"
#include "app/startup.h"
#include "base/console.h"
#include "base/atomic_file.h"
#include "base/message_windows.h"
#include "base/process_run.h"
#include "base/screen_config.h"
#include "base/settings.h"
#include "base/system_path.h"
#include "files/file_ops.h"
#include "machine/controller.h"
#include "machine/firmware.h"
#include "machine/serial.h"

namespace {

constexpr const char* kUpdateFile = "./update";
constexpr const char* kSystemFile = "./system";
constexpr const char* kPackageName = "qcc_update.tar.gz";
constexpr const char* kPackageScript = "qcc_update.sh";

std::string Reason(int error) { return std::strerror(error); }

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A file as large as the file system allows must end a copy with an error, not the program
// with SIGXFSZ; the old disposition comes back afterwards.
class IgnoreFileSizeSignal {
public:
    IgnoreFileSizeSignal()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &old_);
    }
    ~IgnoreFileSizeSignal() { sigaction(SIGXFSZ, &old_, nullptr); }

private:
    struct sigaction old_ {};
};

bool WriteAll(int fd, const char* data, size_t length)
{
    while (length > 0) {
        const ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

// Writes `text` into `path` as a whole file, following a link where there is one (the status
// file is a plain file the launcher's scripts may look at). False when it cannot be written.
bool WritePlainFile(const std::string& path, const std::string& text)
{
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        return false;
    const bool wrote = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return (std::fclose(out) == 0) && wrote;
}

// Records the outcome of the start-up check in ./system. A status file that cannot be made
// (read-only or full storage) is reported and left; the start goes on.
bool WriteSystemFile(const std::string& text)
{
    if (WritePlainFile(kSystemFile, text))
        return true;
    ConsoleWrite(std::string("Cannot create ./system: ") + Reason(errno) + "\n");
    return false;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// Empties `folder` for a fresh unpack: whatever is there (a folder with an older package, a
// file, a link) goes, links are removed and never followed; then the folder is made anew.
bool FreshFolder(const std::string& folder, std::string* why)
{
    struct stat st;
    if (lstat(folder.c_str(), &st) == 0) {
        const int rc = S_ISDIR(st.st_mode) ? nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS)
                                           : unlink(folder.c_str());
        if (rc != 0) {
            *why = "cannot empty " + folder + ": " + Reason(errno);
            return false;
        }
    }
    if (mkdir(folder.c_str(), 0755) != 0) {
        *why = "cannot create " + folder + ": " + Reason(errno);
        return false;
    }
    return true;
}

// The lines of ./update, split at '\n' (a last line without one counts too).
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool ReadWholeFile(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    *text = all.str();
    return !in.bad();
}

// A version as %f printed, cut at the first '0' from character `from` on: 1.230000 -> 1.23.
std::string TrimmedVersion(float version, size_t from)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(version));
    std::string s = text;
    const size_t zero = s.find('0', from);
    return zero == std::string::npos ? s : s.substr(0, zero);
}

// A chosen path: nothing, a folder, a missing file or one whose name has a line end.
enum class Choice { None, Directory, File, Unsafe };

Choice Classify(const std::string& path)
{
    if (path.empty())
        return Choice::None;
    if (IsDirectory(path))
        return Choice::Directory;
    if (path.find('\n') != std::string::npos || path.find('\r') != std::string::npos)
        return Choice::Unsafe;
    return Choice::File;
}

const char kDirectoryChosen[] = "YOU SELECTED A DIRECTORY.\nABORTING PROCEDURE.";

// Copies the look file, the screen geometry and the images found beside the chosen program
// into the working folder (the finishing start, when ./update was lost).
void CopyLookFilesFrom(const std::string& folder)
{
    std::string why;
    if (DIR* dir = opendir(folder.c_str())) {
        std::vector<std::string> names;
        while (dirent* entry = readdir(dir))
            if (std::strncmp(entry->d_name, "gtkr", 4) == 0)
                names.push_back(entry->d_name);
        closedir(dir);
        for (const std::string& name : names)
            if (IsRegularFile(Join(folder, name)) &&
                !InstallFileChecked(Join(folder, name), "./" + name, 0644, &why))
                ConsoleWrite("Copy failed: " + why + "\n");
    }
    const std::string images = Join(folder, "images");
    if (DIR* dir = opendir(images.c_str())) {
        mkdir("./images", 0777);
        std::vector<std::string> names;
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        closedir(dir);
        for (const std::string& name : names)
            if (IsRegularFile(Join(images, name)) &&
                !InstallFileChecked(Join(images, name), "./images/" + name, 0644, &why))
                ConsoleWrite("Copy failed: " + why + "\n");
    }
}

}  // namespace

std::string UsbFolder() { return SystemPath("/media/usb/"); }
std::string InstalledProgramPath() { return SystemPath("/media/mmc0/Corvan/corvan"); }
std::string BackupFolder() { return SystemPath("/media/mmc0/Corvan/backup/"); }
std::string UnpackFolder() { return SystemPath("/tmp/softupdate"); }

std::string ShellQuote(const std::string& path)
{
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool InstallFile(const std::string& source, const std::string& destination, uint32_t expectedCrc,
                 mode_t mode, std::string* why)
{
    IgnoreFileSizeSignal keepRunning;
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *why = "cannot read " + source + ": " + Reason(errno);
        return false;
    }
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        *why = source + " is not a regular file";
        return false;
    }
    const std::string folder = FolderOf(destination);
    const size_t slash = destination.rfind('/');
    const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
    std::string temp = Join(folder, "." + name + ".XXXXXX");
    const int out = mkstemp(&temp[0]);
    if (out < 0) {
        *why = "cannot write in " + folder + ": " + Reason(errno);
        close(in);
        return false;
    }
    auto fail = [&](const std::string& what) {
        *why = what;
        close(in);
        if (out >= 0)
            close(out);
        unlink(temp.c_str());
        return false;
    };

    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail("cannot read " + source + ": " + Reason(errno));
        if (n == 0)
            break;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n)))
            return fail("cannot write " + temp + ": " + Reason(errno));
    }
    if (fsync(out) != 0)
        return fail("cannot flush " + temp + ": " + Reason(errno));
    if (fchmod(out, mode) != 0)
        return fail("cannot set the mode of " + temp + ": " + Reason(errno));
    const int closed = close(out);
    const int closeError = errno;
    close(in);
    if (closed != 0) {
        unlink(temp.c_str());
        *why = "cannot write " + temp + ": " + Reason(closeError);
        return false;
    }
    // What reached the device is read back: the check covers the copy, not just the source.
    uint32_t written = 0;
    if (!FileCRC_Default(temp, &written) || written != expectedCrc) {
        unlink(temp.c_str());
        *why = "the copy of " + source + " does not match its CRC";
        return false;
    }
    // rename() replaces the directory entry: a running program keeps its old file open, so
    // there is no "text file busy", and the launcher never sees half a program.
    if (rename(temp.c_str(), destination.c_str()) != 0) {
        const int error = errno;
        unlink(temp.c_str());
        *why = "cannot put " + destination + " in place: " + Reason(error);
        return false;
    }
    if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

bool InstallFileChecked(const std::string& source, const std::string& destination, mode_t mode,
                        std::string* why)
{
    uint32_t crc = 0;
    if (!FileCRC_Default(source, &crc)) {
        *why = "cannot read " + source;
        return false;
    }
    return InstallFile(source, destination, crc, mode, why);
}

bool BuildUpdateScript(const std::string& programPath, const std::string& crcPath,
                       std::string* script)
{
    auto unsafe = [](const std::string& s) { return s.find_first_of("\n\r") != std::string::npos; };
    if (unsafe(programPath) || unsafe(crcPath) || crcPath.find('\0') != std::string::npos)
        return false;
    const std::string folder = FolderOf(programPath);
    std::vector<std::string> lines;
    const std::string look = Join(folder, icon_style == 1 ? "gtkrc" : "gtkrc_5");
    if (IsRegularFile(look))
        lines.push_back("cp " + ShellQuote(look) + " ./");
    const std::string screen = Join(folder, "screen.conf");
    if (IsRegularFile(screen))
        lines.push_back("cp " + ShellQuote(screen) + " ./");
    const std::string images = Join(folder, "images");
    if (IsDirectory(images)) {
        ConsoleWrite(images + "\n");
        // The wildcard stays outside the quotes so that the shell expands it, and only it.
        lines.push_back("cp " + ShellQuote(images) + "/* ./images");
    }
    std::string text = crcPath + "\n";
    for (const std::string& line : lines) {
        if (line.size() > kUpdateLineMax)
            return false;
        text += line + "\n";
    }
    *script = text;
    return true;
}

int UpdateProgram()
{
    if (!CheckUSBIsIn())
        return 0;
    const std::string path = UiGetFilename(UsbFolder(), ".BIN .bin");
    const Choice choice = Classify(path);
    if (choice == Choice::None)
        return 0;
    if (choice == Choice::Directory) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, kDirectoryChosen);
        return 0;
    }
    int appCode = 0;
    float version = 0;
    std::string kernel;
    if (choice == Choice::Unsafe || !CheckCRC(path, &appCode, &version, &kernel)) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT VALIDATE FILE");
        return 0;
    }
    if (appCode != CRC_APP_PROGRAM) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "THE SELECTED FILE IS NOT VALID");
        return 0;
    }
    uint32_t expectedCrc = 0;
    const std::string crcPath = CrcFilePath(path);
    std::string script;
    if (!ReadCrcFile(crcPath, &expectedCrc, nullptr, nullptr, nullptr) ||
        !BuildUpdateScript(path, crcPath, &script)) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "THE SELECTED FILE IS NOT VALID");
        return 0;
    }

    ConsoleWrite("Get Kernel Version\n");
    std::string running;
    if (GetKernel(&running, nullptr) != 0) {
        ConsoleWrite("Version File Not Available\n");
    } else {
        // An empty kernel field means the program runs on any kernel.
        if (!kernel.empty() && running != kernel) {
            ShowMessage(MSG_ERROR, BUTTONS_OK,
                        "OPERATING SYSTEM IS NOT COMPATABLE\nSystem: " + running + " CRC: " + kernel);
            return 0;
        }
        ConsoleWrite("kernel version: " + running + "\n");
    }

    char question[64];
    std::snprintf(question, sizeof question, " version %0.2f?", static_cast<double>(version));
    if (ShowMessage(MSG_QUESTION, BUTTONS_YES_NO, "UPDATE THE REMOTE WITH " + path + question) !=
        RESPONSE_YES)
        return 0;

    WaitingWindow* waiting = CreateWaitingWindow("\n\nUPDATING PROGRAM", 0);
    std::string why;
    bool copied = false;
    const std::string program = InstalledProgramPath();
    std::string backup = BackupFolder();
    mkdir(backup.c_str(), 0777);
    std::string backupName = std::string("version_") + kSoftwareVersion;
    for (char& c : backupName)
        if (c == '.')
            c = '_';
    // Order matters: the backup first (no backup, no update), then ./update, then the program.
    // ./update goes before the program so that a new program is never left without the
    // commands that finish it, and it goes again if the program could not be put in place.
    if (!InstallFileChecked(program, Join(backup, backupName), 0755, &why)) {
        ConsoleWrite("Backup failed: " + why + "\n");
    } else if (!WriteFileAtomically(kUpdateFile, [&](std::FILE* out) {
                   return std::fwrite(script.data(), 1, script.size(), out) == script.size();
               })) {
        why = "cannot write ./update";
        ConsoleWrite(why + "\n");
    } else if (!InstallFile(path, program, expectedCrc, 0755, &why)) {
        ConsoleWrite("Copy failed: " + why + "\n");
        unlink(kUpdateFile);
    } else {
        copied = true;
    }
    UiRunPendingEvents();
    if (copied && unlink(kSystemFile) != 0 && errno != ENOENT)
        ConsoleWrite(std::string("Cannot remove ./system: ") + Reason(errno) + "\n");
    SyncFileSystems();
    CloseWaitingWindow(waiting);

    if (!copied) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COPY FAILED");
        return 0;
    }
    ShowMessage(MSG_INFO, BUTTONS_OK, "FILE COPIED.\nTHE PROGRAM WILL NOW RESTART");
    ExitKeepingLayout(0);
    return 1;
}

int UpdateRobot()
{
    if (!CheckUSBIsIn())
        return 0;
    const std::string path = UiGetFilename(UsbFolder(), ".hex .HEX");
    if (path.empty()) {
        ShowMessage(MSG_WARNING, BUTTONS_OK, "NO FILE SELECTED.  ABORTING PROCEDURE.");
        return 0;
    }
    int appCode = 0;
    float version = 0;
    if (IsDirectory(path) || !CheckCRC(path, &appCode, &version, nullptr)) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT VALIDATE FILE");
        return 0;
    }
    if (appCode != CRC_APP_FIRMWARE) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "THE SELECTED FILE IS NOT VALID");
        return 0;
    }
    if (ShowMessage(MSG_QUESTION, BUTTONS_YES_NO, "UPDATE ROBOT WITH FILE: " + path + "?") !=
        RESPONSE_YES)
        return 0;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT OPEN FILE");
        return 0;
    }
    WaitingWindow* waiting = CreateWaitingWindow("\n\nUPDATING PROGRAM", 0);
    UiRunPendingEvents();
    const int result = SendHexFile(file);
    std::fclose(file);
    CloseWaitingWindow(waiting);
    // The controller restarts into its new firmware before it listens again.
    usleep(250000);
    if (result != HEX_UPLOAD_OK) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "SEND FILE FAILED! \nError:" + std::to_string(result));
        return 0;
    }
    ShowMessage(MSG_INFO, BUTTONS_OK, "SEND FILE SUCCESSFUL\nRESTARTING PROGRAM");
    ExitKeepingLayout(0);
    return 1;
}

int UpdateSystem()
{
    if (!CheckUSBIsIn())
        return 0;
    WaitingWindow* waiting = CreateWaitingWindow("\n\nSEARCHING FOR UPDATE", 0);
    UiRunPendingEvents();
    const std::string usb = SystemPath("/media/usb");
    std::string folder = usb;
    const bool found = findRegularFile(folder, kPackageName) == 1;
    CloseWaitingWindow(waiting);
    if (!found) {
        ConsolePrintf("Could not find file: \" %s \" in \" %s \"\n", kPackageName, usb.c_str());
        ShowMessage(MSG_ERROR, BUTTONS_OK, "UPDATE FILE NOT FOUND ON USB DRIVE\n");
        return 0;
    }
    const std::string package = folder + "/" + kPackageName;
    ConsoleWrite("Found file: " + package + "\n");
    if (ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                    "UPDATE FILE FOUND:\n" + package + "\nPROCEED WITH UPDATE?") != RESPONSE_OK)
        return 0;

    const std::string unpack = UnpackFolder();
    const std::string copy = unpack + "/" + kPackageName;
    const std::string scriptPath = unpack + "/" + kPackageScript;
    ConsoleWrite("Now executing the following system commands:\n");
    ConsoleWrite("mkdir \"" + unpack + "\"\ncp \"" + package + "\" \"" + unpack + "\"\ntar -xvzf \"" +
          copy + "\" -C \"" + unpack + "\"\n");
    ConsoleWrite("sys: " + scriptPath + "\n");

    // A package left from an earlier update must never be taken for this one: the folder is
    // emptied first, and the script runs only when this package unpacked completely.
    std::string why;
    if (!FreshFolder(unpack, &why) || !InstallFileChecked(package, copy, 0644, &why)) {
        ConsoleWrite(why + "\n");
        ShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT COPY THE UPDATE FILE");
        return 0;
    }
    int status = -1;
    if (!RunArgv({"tar", "-xvzf", copy, "-C", unpack}, &status) || status != 0) {
        ConsoleWrite("tar ended with " + std::to_string(status) + "\n");
        ShowMessage(MSG_ERROR, BUTTONS_OK, "THE UPDATE FILE IS DAMAGED");
        return 0;
    }
    if (!IsRegularFile(scriptPath)) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "THE UPDATE FILE HOLDS NO UPDATE SCRIPT");
        return 0;
    }
    if (!RunArgv({"sh", scriptPath}, &status) || status != 0) {
        ConsoleWrite("update script ended with " + std::to_string(status) + "\n");
        ShowMessage(MSG_ERROR, BUTTONS_OK, "UPDATE SCRIPT FAILED\nError:" + std::to_string(status));
        return 0;
    }
    return 1;
}

std::string SystemInfoText()
{
    std::string text = "Auto-Quilting Software\nSoftware Version: ";
    text += kSoftwareVersion;
    text += "\nOS: ";
    std::string release, board;
    if (GetKernel(&release, &board) != 0) {
        text += "######";
    } else {
        if (release == "2.6.18.2")
            release = "Corvan";
        else if (release == "2.6.29.6")
            release = "Wexley";
        text += release + "-" + board;
    }
    text += "\nMC Firmware: ";
    float version = 0;
    const int motor = GetMotorVersion(&version);
    if (motor == 0) {
        text += TrimmedVersion(version, 4);
    } else {
        if (motor != -1)
            ClearBuffer();
        text += "N.C.";
    }
    text += "\nSC Firmware: ";
    if (needleUpMethod != 0) {
        text += MachineTypeFor(needleUpMethod).label;
    } else {
        const int stitcher = GetStitcherVersion(&version);
        if (stitcher == 0) {
            text += TrimmedVersion(version, 3);
        } else {
            if (stitcher != -1)
                ClearBuffer();
            text += "N.C.";
        }
    }
    return text;
}

void ShowSystemInfo() { ShowMessage(MSG_INFO, BUTTONS_OK, SystemInfoText()); }

int CheckUpdate()
{
    if (Exists(kSystemFile))
        return 1;
    ConsoleWrite("No System file\n");
    if (!CheckUSBIsIn()) {
        ConsoleWrite("No USB\n");
        WriteSystemFile("UPDATE CANCELED");
        return 1;
    }

    std::string crcPath;
    bool crcPathUsable = true;
    bool commandFailed = false;
    std::string text;
    if (ReadWholeFile(kUpdateFile, &text)) {
        const std::vector<std::string> lines = SplitLines(text);
        if (!lines.empty()) {
            crcPath = lines[0];
            crcPathUsable = crcPath.find('\0') == std::string::npos;
        }
        for (size_t i = 1; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (line.empty())
                continue;
            // A longer line was never written by this program; running a piece of it would
            // run its tail as a command of its own.
            if (line.size() > kUpdateLineMax || line.find('\0') != std::string::npos) {
                ConsoleWrite("Skipped command: " + std::string(line.c_str()) + "\n");
                continue;
            }
            ConsoleWrite("Process Command: " + line + "\n");
            int status = -1;
            if (!RunShellLine(line, &status) || status != 0) {
                ConsoleWrite("Command ended with " + std::to_string(status) + "\n");
                commandFailed = true;
            }
        }
    } else {
        ShowMessage(MSG_INFO, BUTTONS_OK,
                    "IN ORDER TO CONTINUE THE UPDATE YOU MUST RESELECT THE FILE THAT THE UNIT WAS "
                    "UPDATED WITH");
        const std::string path = UiGetFilename(UsbFolder(), ".BIN .bin");
        const Choice choice = Classify(path);
        const char* problem = nullptr;
        if (choice == Choice::None)
            problem = "INVALID SELECTION";
        else if (choice == Choice::Directory)
            problem = kDirectoryChosen;
        else if (choice == Choice::Unsafe || !CheckCRC(path, nullptr, nullptr, nullptr))
            problem = "THE SELECTED FILE IS NOT VALID";
        if (problem != nullptr) {
            ShowMessage(MSG_ERROR, BUTTONS_OK, problem);
            SyncFileSystems();
            return 1;
        }
        crcPath = CrcFilePath(path);
        CopyLookFilesFrom(FolderOf(path));
    }

    SyncFileSystems();
    if (crcPath.empty() || commandFailed) {
        if (!WriteSystemFile("System Updated With Possible Errors"))
            return 1;
        ShowMessage(MSG_ERROR, BUTTONS_OK, "SYSTEM UPDATED WITH POSSIBLE ERRORS");
        SyncFileSystems();
        ExitKeepingLayout(1);
        return 0;
    }
    uint32_t crc = 0;
    int appCode = 0;
    float version = 0;
    if (!crcPathUsable || !ReadCrcFile(crcPath, &crc, &appCode, &version, nullptr)) {
        WriteSystemFile("CRC INVALID");
        ShowMessage(MSG_ERROR, BUTTONS_OK, "INVALID CRC FILE");
        SyncFileSystems();
        return 1;
    }
    char status[128];
    std::snprintf(status, sizeof status, "SYSTEM UPDATED\nCRC Check: %ld\nVersion: %0.3f\n",
                  CrcAsSigned(crc), static_cast<double>(version));
    // Without a status file the next start would run the update again, and again: carry on.
    if (!WriteSystemFile(status))
        return 1;
    ShowMessage(MSG_INFO, BUTTONS_OK, "SYSTEM UPDATE SUCCESSFUL");
    ExitKeepingLayout(1);
    return 0;
}
