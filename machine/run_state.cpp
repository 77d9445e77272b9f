#include "machine/run_state.h"

FullPattern_t* fpTemp = nullptr;
unsigned char allStop = RUN_GO;
int currentX = 0, currentY = 0;
int stopTest = 0;
int logPoint = 0;

void ClearTimers()
{
    allStop = RUN_GO;
    logPoint = 0;
}
