#include "definitions.h"

void SYS_Initialize(void* data) { PORT_Initialize(); }
