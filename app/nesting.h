#pragma once
// Nest: after the quilt has been rolled, the current pattern box is found again on it from
// two marks read with the machine, turned to match them, and fine-tuned by moving the
// machine while the "NESTING" dialog follows it. The dialogs are widgets
// (app/nesting_dialog.cpp); the flow and what it changes live here.

#include <cstdint>
#include <optional>
#include <utility>

using MachineLocation = std::optional<std::pair<int32_t, int32_t>>;

// Where the machine was when the fine-tune dialog opened, and where it is now
// (thousandths of an inch); runCapture is 1 while the dialog follows the machine.
extern MachineLocation machineOrigin;
extern MachineLocation machineCurrent;
extern int runCapture;

// The whole Nest: undo snapshot, the marks, the move and turn of the box, the position
// dialog and the fine-tune. -1 when the quilter cancels a question, -90 on an empty box, a
// controller that does not answer or marks too close together (nothing changed then), else
// the fine-tune dialog's response (its OK moves the box by the machine's movement).
int NestingDialog();

// One tick of the fine-tune dialog's tracking: machineCurrent replaced by a fresh reading;
// a failed reading keeps the last one. 1 while tracking should go on.
int NestTrackTick();

// Edit ▸ Nest.
void menuEditNest();
