#ifndef DIMMER_PWM_H
#define DIMMER_PWM_H

void dimmer_pwm_set(unsigned percent);

#endif
