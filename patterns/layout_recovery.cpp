#include "patterns/layout_recovery.h"

#include <unistd.h>

#include <cstdio>

#include "base/console.h"
#include "patterns/layout_file.h"

int RecoveryLayoutPresent()
{
    return access(kRecoveryLayoutPath, F_OK) == 0 ? 1 : 0;
}

int SaveOrDropRecoveryLayout()
{
    if (access(kRecoveryLayoutPath, F_OK) == 0) {
        unlink(kRecoveryLayoutPath);
        return 0;
    }
    // Written beside its name and renamed, so a crash inside the save itself leaves no
    // half-written recovery layout for the next start to trip over.
    return WriteLayoutFileAt(kRecoveryLayoutPath, "./Layout/recovery.qlf.part");
}

int RecoverLayoutAtStart()
{
    if (!RecoveryLayoutPresent())
        return 0;
    ConsolePrintf("Recover Layout\n");
    int loaded = LoadLayout(kRecoveryLayoutPath, kDiscardCurrentLayout, kSkipQuestion);
    unlink(kRecoveryLayoutPath);
    return loaded;
}
