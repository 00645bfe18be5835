#ifndef ADC_H
#define ADC_H

void AdcInit(void);
void AdcPoll(void);

#endif
