#include "pin_manager.h"

void PIN_MANAGER_Initialize(void) { TRISA = 0xFB; }
