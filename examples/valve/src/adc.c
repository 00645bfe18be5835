#include "adc.h"

static unsigned int adc_ticks;

void AdcInit(void) { adc_ticks = 0; }
void AdcPoll(void) { ++adc_ticks; }
