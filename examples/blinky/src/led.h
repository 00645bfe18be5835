#ifndef LED_H
#define LED_H

void LedInit(void);
void LedPoll(void);

#endif
