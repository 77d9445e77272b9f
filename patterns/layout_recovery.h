#pragma once
// The recovery layout: the crash handler leaves the layout in ./Layout/recovery.qlf, and the
// next start loads it without a question and deletes it.

constexpr char kRecoveryLayoutPath[] = "./Layout/recovery.qlf";

// 1 when a recovery layout is waiting (start-up then shows the pattern select screen first).
int RecoveryLayoutPresent();

// For the crash handler; uses only async-signal-safe calls. Saves the current layout as the
// recovery layout; when one already exists, deletes it instead, so that a layout whose
// loading crashes the program is not loaded again at every start. Returns 1 when a recovery
// layout was written.
int SaveOrDropRecoveryLayout();

// At start: when a recovery layout exists, prints "Recover Layout", loads it and deletes it.
// Returns 1 when a layout was recovered.
int RecoverLayoutAtStart();
