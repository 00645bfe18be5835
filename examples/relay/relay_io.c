#include "relay_io.h"

void relay_io_init(void) {}
