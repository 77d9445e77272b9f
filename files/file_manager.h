#pragma once
// What the file manager screen does, apart from its widgets: the radios' choices, the
// folders its buttons open, and the Copy and Delete buttons. The screen
// (files/file_manager_screen.cpp) only passes its entries' texts here.

#include <string>

// Source: 0 Internal, 1 USB, 2 Previews. Destination: 0 Internal, 1 USB.
extern int radioSourceCurrentVal;
extern int radioDestinationCurrentVal;

// What the entries show while nothing has been chosen.
extern const char* const kNoFileSelected;       // "No File Selected"
extern const char* const kNoDirectorySelected;  // "No Directory Selected"

// The radios: USB only with the stick present (otherwise after the stick's message the
// choice falls back to Internal). Returns the value now in force.
int ChooseSource(int value);
int ChooseDestination(int value);
// Copy is possible from Internal and USB, not from Previews.
bool CopyAllowedFrom(int source);

// Where the folder buttons open the chooser.
std::string SourceFolder(int source);
std::string DestinationFolder(int destination);
// Filter of the destination's chooser: folders only.
extern const char* const kFoldersOnly;  // ".ZZZ"

// Copy: `source` (a file or folder) into the folder `destination`, with the checks,
// questions and messages of the screen. Returns 0 when copied, otherwise a CopyFile result
// or 1.
int CopySelection(const std::string& source, const std::string& destination);
// Delete: the file or folder `source`, with question and outcome message. Returns
// kFileDone (the caller then resets its entry), kFileFailed or kFileCanceled.
int DeleteSelection(const std::string& source);

// "File Manager" of the home menu: puts the file manager on screen.
void menuMainFileManager();
