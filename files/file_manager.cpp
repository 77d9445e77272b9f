#include "files/file_manager.h"

#include <dirent.h>
#include <sys/stat.h>

#include "base/message_windows.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/system_path.h"
#include "base/ui_hooks.h"
#include "base/process_run.h"
#include "files/file_filter.h"
#include "files/file_ops.h"
#include "patterns/navigation_mask.h"

int radioSourceCurrentVal = 0;
int radioDestinationCurrentVal = 0;
const char* const kNoFileSelected = "No File Selected";
const char* const kNoDirectorySelected = "No Directory Selected";
const char* const kFoldersOnly = kFolderOnlyFilter;

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CanOpenFolder(const std::string& path)
{
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return false;
    closedir(dir);
    return true;
}

void Error(const std::string& text) { ShowMessage(MSG_ERROR, BUTTONS_OK, text); }

int CopyChosen(const std::string& sourceText, const std::string& destinationText)
{
    if (sourceText.empty() || sourceText == kNoFileSelected) {
        Error("NO FILE SELECTED");
        return kFileFailed;
    }
    if (destinationText.empty() || destinationText == kNoDirectorySelected) {
        Error("NO DIRECTORY SELECTED");
        return kFileFailed;
    }
    if (!CanOpenFolder(destinationText)) {
        Error("DIRECTORY NOT FOUND");
        return kFileFailed;
    }
    const std::string source = WithoutTrailingSlash(sourceText);
    const std::string destination = WithoutTrailingSlash(destinationText);
    if (!IsFolder(source))
        return CopyFile(source, destination + "/" + BaseName(source), 0);

    // Decided on the folders themselves, not on how their names are written: a folder
    // copied into itself would grow until the disk is full.
    if (CopyWouldNestFolder(source, destination, BaseName(source))) {
        Error("SORRY.\nYOU MAY NOT COPY THE FOLDER TO THE SAME DIRECTORY.");
        return kFileFailed;
    }
    const std::string target = destination + "/" + BaseName(source);
    if (ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                    "COPY THE ENTIRE DIRECTORY:\n" + source + "/" + " \n TO: \n" + target + " ?") !=
        RESPONSE_OK)
        return kFileDeclined;
    waitWindow = CreateWaitingWindow("\n\nCOPYING DIRECTORY", 0);
    const int failures = CopyDirectory(source, target, 1);
    CloseWaitingWindow(waitWindow);
    ShowDirectoryCopyOutcome(failures);
    return failures == 0 ? kFileDone : kFileFailed;
}

}  // namespace

int ChooseSource(int value)
{
    if (value == 1 && !CheckUSBIsIn())
        value = 0;
    radioSourceCurrentVal = value;
    return value;
}

int ChooseDestination(int value)
{
    if (value == 1 && !CheckUSBIsIn())
        value = 0;
    radioDestinationCurrentVal = value;
    return value;
}

bool CopyAllowedFrom(int source) { return source != 2; }

std::string SourceFolder(int source)
{
    switch (source) {
    case 1: return SystemPath("/media/usb/");
    case 2: return "./thumbnails/";
    default: return "./patterns/";
    }
}

std::string DestinationFolder(int destination)
{
    return destination == 1 ? SystemPath("/media/usb/") : "./patterns/";
}

int CopySelection(const std::string& source, const std::string& destination)
{
    const bool usb = radioSourceCurrentVal == 1 || radioDestinationCurrentVal == 1;
    if (usb && !CheckUSBIsIn())
        return kFileFailed;
    const int result = CopyChosen(source, destination);
    if (usb)
        SyncFileSystems();
    return result;
}

int DeleteSelection(const std::string& sourceText)
{
    if (sourceText.empty() || sourceText == kNoFileSelected) {
        Error("NO FILE SELECTED");
        return kFileFailed;
    }
    const bool usb = radioSourceCurrentVal == 1;
    if (usb && !CheckUSBIsIn())
        return kFileFailed;
    const std::string source = WithoutTrailingSlash(sourceText);
    struct stat st;
    const bool folder = lstat(source.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    int result;
    if (folder && IsProtectedFolder(source)) {
        Error("SORRY.\nYOU MAY NOT DELETE THIS DIRECTORY.");
        result = kFileFailed;
    } else {
        result = folder ? DeleteDirectory(source, 0) : DeleteFile(source, 0);
        if (result == kFileDone)
            ShowMessage(MSG_INFO, BUTTONS_OK, folder ? "DIRECTORY DELETED" : "FILE DELETED");
        else if (result == kFileCanceled)
            ShowMessage(MSG_INFO, BUTTONS_OK, "OPERATION CANCELED");
        else
            Error(folder ? "DIRECTORY NOT DELETED" : "FILE NOT DELETED");
    }
    if (usb)
        SyncFileSystems();
    return result;
}

void menuMainFileManager()
{
    UiShowScreen(Screen::FileManager);
    SetSensitivity(NavigationMask());
    ReleaseAllUI();
}
