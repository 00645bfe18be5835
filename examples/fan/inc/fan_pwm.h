#ifndef FAN_PWM_H
#define FAN_PWM_H

void fan_pwm_init(void);
void fan_pwm_set(unsigned int percent);

#endif
