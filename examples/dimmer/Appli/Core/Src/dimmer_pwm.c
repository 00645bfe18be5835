#include "dimmer_pwm.h"

static unsigned duty;

void dimmer_pwm_set(unsigned percent) { duty = percent > 100 ? 100 : percent; }
