#include "board.h"

void board_init(void) {}
