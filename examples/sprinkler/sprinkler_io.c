#include "sprinkler_io.h"

void sprinkler_io_init(void) {}
