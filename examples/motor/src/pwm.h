#ifndef PWM_H
#define PWM_H

void PwmInit(void);
void PwmPoll(void);

#endif
