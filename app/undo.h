#pragma once
// The one undo step: before an operation changes the layout it saves the whole layout as a
// snapshot; Undo (or cancelling a long operation) loads the snapshot again and discards it.
// The snapshot is a layout file in the system's temporary folder, so it does not survive a
// restart.

#include <string>

// Where the snapshot lives (through SystemPath).
std::string UndoFilePath();

// Saves the current layout as the snapshot, replacing any older one. The layout loses its
// name either way, so that a later Save Layout asks for one.
void CreateUndoFile();
// Loads the snapshot when there is one and deletes it; then, in every case, ends any touch
// tool, zooms to show everything, redraws and closes an open waiting window. Returns 1.
int RestoreUndoFile();
// What a waiting window's Cancel does when the operation asked for undo: drop the hull being
// fitted and restore the snapshot. Start-up installs it as restoreUndoOnCancel.
void RestoreUndoOnCancel();

// Set by the main window: the Undo entry's sensitivity (1 while a snapshot can be restored).
extern void (*undoSensitivityHook)(int sensitive);
