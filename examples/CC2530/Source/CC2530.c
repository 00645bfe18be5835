#include "CC2530Hw.h"

void CC2530_RadioInit(void) { CC2530_RFCTRL = 1; }
