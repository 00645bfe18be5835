#include "main.h"

static unsigned belt_position;

void BeltInit(void) { belt_position = 0; }

void BeltStep(void) { ++belt_position; }
