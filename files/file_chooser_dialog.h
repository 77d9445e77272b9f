#pragma once
// The file chooser behind UiGetFilename: a modal list of the folder's sub-folders and the
// files that pass the extension filter.

// Installs the chooser into the UI seam. Call after gtk_init.
void InstallFileChooser();
