#include "pwm.h"

static unsigned int pwm_ticks;

void PwmInit(void) { pwm_ticks = 0; }
void PwmPoll(void) { ++pwm_ticks; }
