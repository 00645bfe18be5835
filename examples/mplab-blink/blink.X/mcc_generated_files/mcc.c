#include "mcc.h"

void SYSTEM_Initialize(void) { PIN_MANAGER_Initialize(); }
