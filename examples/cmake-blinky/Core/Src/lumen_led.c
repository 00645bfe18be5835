#include "main.h"

void lumen_led_toggle(void) {}
