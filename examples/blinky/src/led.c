#include "led.h"

static unsigned int led_ticks;

void LedInit(void) { led_ticks = 0; }
void LedPoll(void) { ++led_ticks; }
