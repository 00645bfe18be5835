#include "pin_manager.h"
void SYSTEM_Initialize(void);
